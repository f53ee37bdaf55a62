// vconv snapshot: the picture at a given time of a file, through the preview engine.
#include "cli/commands.h"
#include "engine/dvd/dvd_info.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/preview/snapshot.h"
#include "engine/streams/stream_source.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <memory>

namespace vc::cli {

int RunSnapshotCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Saves the picture shown at a given time of a video file as a PNG image, the way the preview\n"
        "shows it, optionally through a video filter graph. With --dvd-title, FILE is a DVD (a drive,\n"
        "a disc folder or an ISO image) and the time counts from the start of that title.");
    parser.addHelpOption();
    parser.addPositionalArgument("FILE", "the video file");
    parser.addOption({"at", "time of the picture in seconds (default 0)", "SECONDS", "0"});
    parser.addOption({{"o", "output"}, "the PNG file to write", "IMAGE.png"});
    parser.addOption({"vf", "a video filter graph, as in ffmpeg's -vf", "GRAPH"});
    parser.addOption(
        {"dvd-title", "FILE is a DVD: take the picture from this title (all its chapters)", "N"});
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
    int title = 0;
    if (parser.isSet("dvd-title")) {
        title = parser.value("dvd-title").toInt(&ok);
        if (!ok || title < 1) {
            std::fprintf(stderr, "vconv snapshot: --dvd-title wants a title number from 1 (got '%s')\n",
                         qPrintable(parser.value("dvd-title")));
            return 2;
        }
    }
    try {
        std::string source = files.front().toStdString();
        TStreamRegistration registration;
        if (title > 0) {
            // The title's chapters are read through the DVD reader as a "stream:" source.
            const TDvdInfo info(source);
            int chapters = 0;
            for (int i = 0; i < info.TitleCount(); ++i)
                if (info.Titles(i)->TitleNumber() == title)
                    chapters = info.Titles(i)->ChapterCount();
            if (chapters < 1) {
                std::fprintf(stderr, "vconv snapshot: %s has no title %d\n", source.c_str(), title);
                return 1;
            }
            registration = TStreamRegistration(std::make_shared<TDvdStream>(source, title, 1, 1, chapters));
            source = registration.Url();
        }
        const SnapshotPicture picture = GrabPicture(source, at, parser.value("vf").toStdString());
        SavePicturePng(picture, parser.value("output").toStdString());
        std::printf("%s: %dx%d picture at %.3f s\n", qPrintable(parser.value("output")), picture.width,
                    picture.height, at);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv snapshot: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
