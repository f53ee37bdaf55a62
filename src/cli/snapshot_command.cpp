// vconv snapshot: the picture at a given time of a file, through the preview engine.
#include "cli/commands.h"
#include "engine/preview/snapshot.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <exception>

namespace vc::cli {

int RunSnapshotCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Saves the picture shown at a given time of a video file (or a \"stream:\" source) as a PNG image,\n"
        "the way the preview shows it, optionally through a video filter graph.");
    parser.addHelpOption();
    parser.addPositionalArgument("FILE", "the video file");
    parser.addOption({"at", "time of the picture in seconds (default 0)", "SECONDS", "0"});
    parser.addOption({{"o", "output"}, "the PNG file to write", "IMAGE.png"});
    parser.addOption({"vf", "a video filter graph, as in ffmpeg's -vf", "GRAPH"});
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) {
        std::fprintf(stderr, "vconv snapshot: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet("help")) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1 || !parser.isSet("output")) {
        std::fprintf(stderr, "Usage: vconv snapshot FILE --at SECONDS -o IMAGE.png [--vf GRAPH]\n");
        return 2;
    }
    bool ok = false;
    const double at = parser.value("at").toDouble(&ok);
    if (!ok || at < 0) {
        std::fprintf(stderr, "vconv snapshot: --at wants a number of seconds, 0 or more (got '%s')\n",
                     qPrintable(parser.value("at")));
        return 2;
    }
    try {
        const SnapshotPicture picture =
            GrabPicture(files.front().toStdString(), at, parser.value("vf").toStdString());
        SavePicturePng(picture, parser.value("output").toStdString());
        std::printf("%s: %dx%d picture at %.3f s\n", qPrintable(parser.value("output")), picture.width, picture.height,
                    at);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv snapshot: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
