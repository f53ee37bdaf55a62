// vconv probe: checks that a file is a readable media file and describes its first video and
// first audio stream, the way the conversion wizards decide whether to accept a picked file.
#include "cli/commands.h"

#include "engine/probe/av_probe.h"
#include "platform/error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" {
#include <libavutil/log.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vc::cli {

namespace {

const char* kProbeDescription =
    "Checks that FILE is a readable media file and describes its first video stream and its\n"
    "first audio stream: decoder, picture size, frame rate and bit rate; sample rate, channels\n"
    "and bit rate (for PCM: sample rate x channels x bits per sample).\n"
    "\n"
    "A file is accepted when it opens and has a video or an audio stream. Otherwise the reason\n"
    "goes to stderr with the file's name (\"Invalid Video/Audio File\" when the file is missing or\n"
    "has neither).\n"
    "\n"
    "Exit codes: 0 accepted, 1 rejected, 2 usage error.\n"
    "\n"
    "Examples:\n"
    "  vconv probe clip.mp4\n"
    "  vconv probe song.wav --json";

QJsonObject ToJson(const QString& file, const TAVProbe& p) {
    QJsonObject o;
    o["file"] = file;
    o["hasVideo"] = p.HasVideo();
    if (p.HasVideo()) {
        o["videoCodec"] = QString::fromStdString(p.VideoCodec());
        o["width"] = p.Width();
        o["height"] = p.Height();
        o["frameRate"] = p.FrameRate();
        o["videoBitrate"] = p.VideoBitrate();
    }
    o["hasAudio"] = p.HasAudio();
    if (p.HasAudio()) {
        o["audioCodec"] = QString::fromStdString(p.AudioCodec());
        o["sampleRate"] = p.SampleRate();
        o["channels"] = p.Channels();
        o["audioBitrate"] = p.AudioBitrate();
    }
    return o;
}

void PrintText(const QString& file, const TAVProbe& p) {
    std::printf("File: %s\n", file.toUtf8().constData());
    if (p.HasVideo())
        std::printf("Video: %s, %dx%d, %.2f fps, %d bit/s\n", p.VideoCodec().c_str(), p.Width(), p.Height(),
                    p.FrameRate(), p.VideoBitrate());
    else
        std::printf("Video: none\n");
    if (p.HasAudio())
        std::printf("Audio: %s, %d Hz, %d channels, %d bit/s\n", p.AudioCodec().c_str(), p.SampleRate(),
                    p.Channels(), p.AudioBitrate());
    else
        std::printf("Audio: none\n");
}

} // namespace

int RunProbeCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kProbeDescription);
    parser.addHelpOption();
    parser.addPositionalArgument("FILE", "the media file to check");
    QCommandLineOption json("json", "print the description as a JSON object");
    parser.addOption(json);
    QStringList args;
    args << "vconv probe";
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) {
        std::fprintf(stderr, "vconv probe: %s\n", parser.errorText().toUtf8().constData());
        return 2;
    }
    if (parser.isSet("help")) {
        std::printf("%s", parser.helpText().toUtf8().constData());
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "vconv probe: expected one FILE\n\n%s", parser.helpText().toUtf8().constData());
        return 2;
    }
    const QString file = parser.positionalArguments().first();
    av_log_set_level(AV_LOG_QUIET); // the probe's own message says what is wrong
    TAVProbe probe;
    probe.SetFileName(file.toStdString());
    try {
        probe.SetActive(true);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (!probe.HasVideo() && !probe.HasAudio()) {
        const bool missing = !QFileInfo::exists(file) && !file.contains(QLatin1String("://"));
        std::fprintf(stderr, "Invalid Video/Audio File: %s: %s\n", file.toLocal8Bit().constData(),
                     missing ? std::strerror(ENOENT) : "no video or audio stream");
        return 1;
    }
    if (parser.isSet(json))
        std::printf("%s", QJsonDocument(ToJson(file, probe)).toJson(QJsonDocument::Indented).constData());
    else
        PrintText(file, probe);
    return 0;
}

} // namespace vc::cli
