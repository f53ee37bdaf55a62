// The command lines of the README's "Command line" section, read from the README itself and run as
// written by a shell (so quoting and "~" work as for a user), in a home folder that holds the files
// they name. Every one must succeed.
#include "integration/cli/tasks_cli_fixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <fstream>

namespace vc::test {
namespace {

// The lines of the first code block after "## Command line": continuations joined, comments and
// comment-only lines dropped, "[...]" kept without its brackets, "a / b" alternatives split (an
// alternative without "vconv" takes the first one's command words).
std::vector<std::string> ReadmeCommands() {
    QFile file(QString::fromStdString((SourceDir() / "README.md").string()));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype section = text.indexOf("## Command line");
    const qsizetype begin = text.indexOf("```\n", section) + 4;
    const qsizetype end = text.indexOf("```", begin);
    EXPECT_GT(section, 0);
    QStringList lines;
    QString pending;
    for (const QString& raw : text.mid(begin, end - begin).split('\n')) {
        QString line = raw;
        line.remove(QRegularExpression("\\s{2,}#.*$"));
        if (line.trimmed().startsWith('#') || line.trimmed().isEmpty())
            continue;
        if (line.endsWith('\\') && !line.endsWith("\\\\")) {
            pending += line.chopped(1);
            continue;
        }
        lines << (pending + line).trimmed();
        pending.clear();
    }
    std::vector<std::string> commands;
    static const QRegularExpression optional("\\[([^\\]]*)\\]");
    for (QString line : lines) {
        line.replace(optional, "\\1");
        const QStringList parts = line.split(" / ");
        const QString words = parts.first().section(' ', 0, 1);
        for (const QString& part : parts)
            commands.push_back(
                (part.startsWith("vconv") ? part : words + ' ' + part).simplified().toStdString());
    }
    return commands;
}

class ReadmeExamples : public TaskCliTest {};

TEST_F(ReadmeExamples, RunAsWritten) {
    const std::vector<std::string> commands = ReadmeCommands();
    ASSERT_GE(commands.size(), 25u);

    // The home folder: the files the examples name, vconv on the PATH.
    const auto home = dir_ / "home";
    const auto bin = dir_ / "bin";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(bin);
    std::filesystem::create_symlink(VconvPath(), bin / "vconv");
    for (const auto& [name, fixture] :
         std::vector<std::pair<std::string, std::string>>{{"clip.mp4", "h264_aac.mp4"},
                                                          {"task12.mp4", "h264_aac.mp4"},
                                                          {"a.avi", "h264_aac.mp4"},
                                                          {"b.mov", "h264_aac.mp4"},
                                                          {"c.mkv", "mpeg4_aac.mkv"}})
        std::filesystem::copy_file(Media(fixture), home / name);
    // A film with one video and two audio tracks, as the --map example has it.
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", Media("two_audio_subs.mkv").string(),
                                    "-map", "0:v", "-map", "0:a", "-c", "copy", (home / "film.mkv").string()})
                  .exit_code,
              0);
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=red:s=32x32",
                                    "-frames:v", "1", (home / "logo.png").string()})
                  .exit_code,
              0);
    const std::string path = bin.string() + ":" + std::getenv("PATH");
    auto shell = [&](const std::string& command) {
        return RunProcess("/usr/bin/env",
                          {"HOME=" + home.string(), "PATH=" + path, "bash", "-c", "cd ~ && " + command},
                          std::chrono::seconds(300));
    };
    // The examples name history category 2 and task 12: a category made first, and an unfinished
    // task of id 12 (a finished conversion turned back into one), whose source may be deleted.
    ASSERT_EQ(shell("vconv categories add Setup ~/setup").exit_code, 0);
    ASSERT_EQ(shell("vconv convert task12.mp4 -o task12.mkv --copy -q").exit_code, 0);
    {
        auto db = OpenStore();
        db->Exec("UPDATE Conversions SET ID = 12, Converting = 1 WHERE ID = 1");
        db->Exec("UPDATE sqlite_sequence SET seq = 12 WHERE name = 'Conversions'");
    }

    const bool have_font = std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    int ran = 0;
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        if (command.find("/media/cdrom") != std::string::npos) {
            std::printf("skipped (needs a DVD in a drive): %s\n", command.c_str());
            continue;
        }
        if (command.find("DejaVuSans.ttf") != std::string::npos && !have_font) {
            std::printf("skipped (the DejaVu font is not installed): %s\n", command.c_str());
            continue;
        }
        const ProcessResult r = shell(command);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        ++ran;
    }
    EXPECT_GE(ran, 25);
    // A few results the comments promise.
    EXPECT_TRUE(std::filesystem::exists(home / "Videos/clip.mp4"));
    EXPECT_TRUE(std::filesystem::exists(home / "Videos/a.mp4"));
    EXPECT_TRUE(std::filesystem::exists(home / "Pictures/a1.jpg"));
    EXPECT_TRUE(std::filesystem::exists(home / "at2.png"));
    EXPECT_FALSE(std::filesystem::exists(home / "task12.mp4")); // deleted with --source
}

} // namespace
} // namespace vc::test
