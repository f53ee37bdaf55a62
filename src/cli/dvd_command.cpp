// vconv dvd info PATH: what the DVD wizard tab shows for a disc. vconv drives: the optical drives
// that hold a video DVD.
#include "cli/commands.h"

#include "engine/dvd/dvd_info.h"
#include "platform/error.h"
#include "platform/optical_drives.h"

#include <QCommandLineParser>
#include <QCoreApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

namespace vc::cli {

namespace {

const char* kDvdDescription =
    "vconv dvd info PATH\n"
    "\n"
    "Lists the titles of a video DVD as the conversion wizard shows them: the volume label, then\n"
    "one line per title, \"position(hh:mm:ss)\" followed by the title number and its chapter,\n"
    "angle, audio-track and subtitle counts. PATH is an optical drive (/dev/sr0), the folder a\n"
    "disc is mounted on, a disc folder or its VIDEO_TS folder, or an ISO image. Titles whose\n"
    "tables cannot be read are left out.\n"
    "\n"
    "Exit codes: 0 done, 1 the disc does not open (\"Can not open DVD\"), 2 usage error.\n"
    "\n"
    "Example:\n"
    "  vconv dvd info /media/cdrom";

const char* kDrivesDescription =
    "Lists the optical drives that hold a video DVD (a disc with VIDEO_TS/VIDEO_TS.IFO), one per\n"
    "line as \"DEVICE: [VOLUME LABEL]\", with the mount point when the disc is mounted.\n"
    "\n"
    "Exit codes: 0 done (also when there is none), 2 usage error.";

// Parses `vconv NAME [args]`; returns -1 to go on, else the exit code.
int Parse(QCommandLineParser& parser, const char* name, int argc, char** argv) {
    parser.addHelpOption();
    QStringList args;
    args << QString("vconv ") + name;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) {
        std::fprintf(stderr, "vconv %s: %s\n", name, parser.errorText().toUtf8().constData());
        return 2;
    }
    if (parser.isSet("help")) {
        std::printf("%s", parser.helpText().toUtf8().constData());
        return 0;
    }
    return -1;
}

} // namespace

int RunDvdCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kDvdDescription);
    parser.addPositionalArgument("info", "list the disc's titles");
    parser.addPositionalArgument("PATH", "drive, mount point, disc folder or ISO image");
    if (int rc = Parse(parser, "dvd", argc, argv); rc >= 0)
        return rc;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2 || pos[0] != "info") {
        std::fprintf(stderr, "vconv dvd: expected 'info PATH'\n\n%s", parser.helpText().toUtf8().constData());
        return 2;
    }
    const std::string path = pos[1].toStdString();
    av_log_set_level(AV_LOG_QUIET);
    try {
        TDvdInfo info(path);
        std::printf("Volume: %s\n", VolumeLabel(path).c_str());
        for (int i = 0; i < info.TitleCount(); ++i) {
            const TDvdTitle* t = info.Titles(i);
            std::printf("%d(%.2d:%.2d:%.2d)  title %d  chapters %d  angles %d  audio %d  subtitles %d\n",
                        i + 1, t->Hours(), t->Minutes(), t->Seconds(), t->TitleNumber(), t->ChapterCount(),
                        t->AngleCount(), t->AudioCount(), t->SubtitleCount());
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

int RunDrivesCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kDrivesDescription);
    if (int rc = Parse(parser, "drives", argc, argv); rc >= 0)
        return rc;
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "vconv drives: takes no arguments\n");
        return 2;
    }
    for (const auto& drive : ListVideoDvdDrives()) {
        if (drive.mount_point.empty())
            std::printf("%s\n", drive.DisplayName().c_str());
        else
            std::printf("%s  mounted on %s\n", drive.DisplayName().c_str(), drive.mount_point.c_str());
    }
    return 0;
}

} // namespace vc::cli
