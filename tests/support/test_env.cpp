#include "support/test_env.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <sstream>
#include <stdexcept>

namespace vc::test {

std::filesystem::path MediaDir() {
    if (const char* env = std::getenv("VC_TEST_MEDIA"))
        return env;
    return VC_TEST_MEDIA_DIR;
}

std::filesystem::path Media(const std::string& name) { return MediaDir() / name; }
std::filesystem::path VconvPath() { return VC_VCONV_PATH; }
std::filesystem::path SourceDir() { return VC_SOURCE_DIR; }

TempDir::TempDir() {
    QTemporaryDir dir;
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    path_ = dir.path().toStdString();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::seconds timeout) {
    QProcess process;
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    process.start(QString::fromStdString(program), list);
    ProcessResult result;
    if (!process.waitForStarted(10000))
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(static_cast<int>(timeout.count() * 1000))) {
        process.kill();
        process.waitForFinished();
    }
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exit_code = process.exitCode();
    return result;
}

bool DecodesCleanly(const std::filesystem::path& file, std::string* errors) {
    auto r = RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-f", "null", "-"});
    // Lines of the null muxer ("[null @ …]") judge the time stamps the checking ffmpeg hands
    // itself, not the file: its own MPEG-PS outputs with AC-3 or MP2 audio draw the same
    // "non monotonically increasing dts" line. Every decoder and demuxer line still counts.
    std::string kept;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("[null @"))
            kept += line + "\n";
    if (errors)
        *errors = r.err;
    return r.exit_code == 0 && kept.empty();
}

std::string Ffprobe(const std::filesystem::path& file, const std::vector<std::string>& args) {
    std::vector<std::string> all{"-v", "error"};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"-of", "csv=p=0", file.string()});
    return RunProcess("ffprobe", all).out;
}

std::vector<std::string> ProbeStreams(const std::filesystem::path& file) {
    std::istringstream lines(Ffprobe(file, {"-show_entries", "stream=codec_type,codec_name"}));
    std::vector<std::string> streams;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        // csv order is codec_name,codec_type
        auto comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        streams.push_back(line.substr(comma + 1) + ":" + line.substr(0, comma));
    }
    return streams;
}

double ProbeDuration(const std::filesystem::path& file) {
    auto text = Ffprobe(file, {"-show_entries", "format=duration"});
    try {
        return std::stod(text);
    } catch (...) {
        return -1;
    }
}

} // namespace vc::test
