// vconv convert: one conversion with a TAVConverter, progress on stderr, Ctrl+C stops it cleanly.
#include "cli/commands.h"
#include "cli/convert_checks.h"
#include "cli/convert_profile_options.h"
#include "cli/convert_task_run.h"

#include "engine/converter/converter.h"
#include "engine/media/format_helpers.h"
#include "model/settings/configuration.h"
#include "model/settings/thread_counts.h"
#include "platform/thread_sem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMetaProperty>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>

namespace vc::cli {

namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) {
    g_interrupted = true;
}

const char* kDescription =
    "Converts or remuxes INPUT into OUTPUT.\n"
    "\n"
    "Without options the output format follows OUTPUT's extension and each stream is\n"
    "re-encoded with that format's default encoder; --copy keeps the streams as they are\n"
    "(a remux, fast and lossless). An output gets at most one video, one audio and one\n"
    "subtitle stream; --map chooses them. Progress goes to stderr: one line updated in\n"
    "place on a terminal, otherwise a plain line at most once a second.\n"
    "\n"
    "Ctrl+C stops the conversion and still finishes the output, so the part written so far\n"
    "plays; a second Ctrl+C ends the program at once.\n"
    "\n"
    "Exit codes: 0 done, 1 the conversion failed (the reason on stderr), 2 usage error,\n"
    "130 stopped by Ctrl+C.\n"
    "\n"
    "Examples:\n"
    "  vconv convert clip.mp4 -o clip.mkv --copy\n"
    "  vconv convert clip.mp4 -o part.mp4 --copy --start 2 --length 3\n"
    "  vconv convert film.mkv -o film.mp4 --copy --map 0=0 --map 0=2\n"
    "  vconv convert in.mpg -o out.mp4 --set VideoOptions.FrameWidth=320 --set VideoOptions.FrameHeight=240\n"
    "  vconv convert clip.mp4 -o ~/Videos --profile \"PSP AVC Video\" --text 'Hello: it\\'s me' --font "
    "DejaVuSans.ttf";

// "VideoOptions.FrameWidth=320" on the options object; an error text or empty.
std::string SetOptionProperty(QObject* root, const QString& assignment) {
    const int eq = assignment.indexOf('=');
    if (eq <= 0)
        return "expected PATH=VALUE, got '" + assignment.toStdString() + "'";
    const QString path = assignment.left(eq).trimmed();
    const QString value = assignment.mid(eq + 1);
    const QStringList parts = path.split('.');
    QObject* object = root;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        QVariant sub = object->property(parts[i].toUtf8().constData());
        QObject* next = sub.value<QObject*>();
        if (!next)
            return "no option group '" + parts[i].toStdString() + "' in '" + path.toStdString() + "'";
        object = next;
    }
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(parts.last().toUtf8().constData());
    if (index < 0)
        return "no option '" + path.toStdString() + "'";
    QMetaProperty prop = meta->property(index);
    QVariant v;
    bool ok = true;
    if (prop.isEnumType()) {
        QMetaEnum e = prop.enumerator();
        int n = e.keyToValue(value.trimmed().toUtf8().constData(), &ok);
        if (!ok)
            n = value.trimmed().toInt(&ok);
        v = n;
    } else {
        switch (prop.metaType().id()) {
        case QMetaType::Bool: {
            const QString t = value.trimmed().toLower();
            ok = t == "1" || t == "0" || t == "true" || t == "false";
            v = (t == "1" || t == "true");
            break;
        }
        case QMetaType::Int: v = value.trimmed().toInt(&ok); break;
        case QMetaType::LongLong: v = value.trimmed().toLongLong(&ok); break;
        case QMetaType::Float: v = value.trimmed().toFloat(&ok); break;
        case QMetaType::Double: v = value.trimmed().toDouble(&ok); break;
        case QMetaType::QString: v = value; break;
        case QMetaType::QStringList: v = value.isEmpty() ? QStringList() : value.split(','); break;
        default: return "option '" + path.toStdString() + "' cannot be set from the command line";
        }
    }
    if (!ok)
        return "'" + value.toStdString() + "' is not a valid value for " + path.toStdString();
    if (!prop.write(object, v))
        return "option '" + path.toStdString() + "' cannot be set";
    return {};
}

bool ParseSeconds(const QString& text, qint64* microseconds) {
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || std::fabs(seconds) > 9e12)
        return false;
    *microseconds = std::llround(seconds * 1000000.0);
    return true;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "vconv convert: %s\nTry 'vconv convert --help'.\n", message.c_str());
    return 2;
}

} // namespace

int RunConvertCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv convert";

    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument("INPUT", "the file to convert (several for a multi-input conversion)",
                                 "INPUT...");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption output({"o", "output"}, "Write OUTPUT (repeat for several outputs).", "OUTPUT");
    const QCommandLineOption format(
        {"f", "format"},
        "Output container format (mp4, matroska, mpegts, avi, ...); default: from OUTPUT's extension.",
        "NAME");
    const QCommandLineOption input_format("input-format", "Read INPUT as this format instead of probing it.",
                                          "NAME");
    const QCommandLineOption copy("copy", "Copy video, audio and subtitle streams without re-encoding.");
    const QCommandLineOption vcodec("vcodec", "Video encoder by name (e.g. libx264, mpeg4).", "NAME");
    const QCommandLineOption acodec("acodec", "Audio encoder by name (e.g. aac, libmp3lame).", "NAME");
    const QCommandLineOption scodec("scodec", "Subtitle codec by name (decoder and encoder).", "NAME");
    const QCommandLineOption start(
        "start",
        "Start at this position of the input (seconds). A re-encoded output starts exactly there, every "
        "stream at 0; a copy (--copy) starts at the key frame at or before it.",
        "SECONDS");
    const QCommandLineOption length("length", "Write at most this many seconds.", "SECONDS");
    const QCommandLineOption map(
        "map",
        "Take the next output stream from input FILE, stream STREAM (both counted from 0). Give one --map "
        "per output stream, in the order video, audio, subtitle. An MP3 or FLAC output of a video also gets "
        "a cover picture (a video stream); --set VideoOptions.VideoDisable=1 leaves it out.",
        "FILE=STREAM");
    const QCommandLineOption set(
        "set",
        "Set any conversion option by its path, e.g. VideoOptions.FrameWidth=320, "
        "AudioOptions.AudioVolume=128, GrabOptions.InputSync=1; lists take comma-separated lines.",
        "PATH=VALUE");
    const QCommandLineOption codec_option(
        "codec-option", "A library option for codecs, formats or the scaler (e.g. g=15, preset=fast).",
        "NAME=VALUE");
    const QCommandLineOption metadata("metadata", "Write NAME=VALUE into the output's metadata (repeatable).",
                                      "NAME=VALUE");
    const QCommandLineOption vf("vf", "Video filter graph (libavfilter syntax).", "GRAPH");
    const QCommandLineOption af("af", "Audio filter graph (libavfilter syntax).", "GRAPH");
    const QCommandLineOption threads(
        "threads",
        "Threads for each decoder and encoder, 0 to let the libraries choose (default: "
        "PerformanceOptions.ThreadCount of `vconv config`, which is 0 unless set).",
        "N");
    const QCommandLineOption verbose({"v", "verbose"},
                                     "Print the media libraries' log lines (warnings and errors).");
    const QCommandLineOption quiet({"q", "quiet"}, "Print no progress.");
    const QCommandLineOption progress = ProgressOption();
    parser.addOptions({help,   output, format,  input_format, copy,  vcodec,       acodec,
                       scodec, start,  length,  map,          set,   codec_option, metadata,
                       vf,     af,     threads, verbose,      quiet, progress});
    const ProfileFilterOptions profile_filter_options;
    parser.addOptions(profile_filter_options.All());
    const ConvertTaskOptions task_options;
    parser.addOptions(task_options.All());
    if (!parser.parse(args))
        return Usage(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    std::string style_error;
    const auto style = ChosenProgressStyle(parser, progress, quiet, style_error);
    if (!style)
        return Usage(style_error);
    const ConfigurationScope configuration; // loaded now, saved when the command ends
    QStringList inputs = parser.positionalArguments();
    QStringList outputs = parser.values(output);
    DvdSource dvd;
    if (const std::string error =
            PrepareDvdSource(parser, task_options, profile_filter_options, inputs, outputs, dvd);
        !error.empty())
        return Usage(error);
    if (inputs.isEmpty())
        return Usage("no INPUT given");
    if (outputs.isEmpty())
        return Usage("no OUTPUT given (-o OUTPUT)");

    TAVConverter converter;
    TAVConvertOptions* o = converter.ConvertOptions();
    // The configured thread count (0: the libraries choose for this machine), as the wizards do.
    o->SetThreadCount(ConversionThreadCount(AVConfiguration().PerformanceOptions()->ThreadCount()));
    // A profile and the filter options first, as a wizard prepares them; explicit options below
    // then override what the profile wrote.
    if (const std::string error = ApplyProfileAndFilters(parser, profile_filter_options, inputs, outputs, o);
        !error.empty())
        return Usage(error);
    if (parser.isSet(format))
        o->SetOutputFormat(parser.value(format));
    o->SetInputFormat(parser.value(input_format));
    if (parser.isSet(copy)) {
        o->VideoOptions()->SetVideoStreamCopy(true);
        o->AudioOptions()->SetAudioStreamCopy(true);
        o->SubtitleOptions()->SetSubtitleStreamCopy(true);
    }
    if (parser.isSet(vcodec))
        o->VideoOptions()->SetEncoderVideoCodecName(parser.value(vcodec));
    if (parser.isSet(acodec))
        o->AudioOptions()->SetEncoderAudioCodecName(parser.value(acodec));
    if (parser.isSet(scodec))
        o->SubtitleOptions()->SetSubtitleCodecName(parser.value(scodec));
    qint64 us = 0;
    if (parser.isSet(start)) {
        if (!ParseSeconds(parser.value(start), &us))
            return Usage("--start wants seconds, got '" + parser.value(start).toStdString() + "'");
        o->SetStartTime(us);
    }
    if (parser.isSet(length)) {
        if (!ParseSeconds(parser.value(length), &us))
            return Usage("--length wants seconds, got '" + parser.value(length).toStdString() + "'");
        o->SetRecordingTime(us);
    }
    o->SetStreamMaps(parser.values(map));
    for (const QString& line : parser.values(codec_option)) {
        if (!line.contains('='))
            return Usage("--codec-option wants NAME=VALUE, got '" + line.toStdString() + "'");
        QStringList lines = o->CodecOptions();
        lines << line;
        o->SetCodecOptions(lines);
    }
    for (const QString& line : parser.values(metadata)) {
        if (!line.contains('='))
            return Usage("--metadata wants NAME=VALUE, got '" + line.toStdString() + "'");
        QStringList lines = o->MetaData();
        lines << line;
        o->SetMetaData(lines);
    }
    if (parser.isSet(vf)) {
        const QString built = o->FilterOptions()->VideoFilters(); // from the filter options
        o->FilterOptions()->SetVideoFilters(built.isEmpty() ? parser.value(vf)
                                                            : parser.value(vf) + ',' + built);
    }
    if (parser.isSet(af))
        o->FilterOptions()->SetAudioFilters(parser.value(af));
    if (parser.isSet(threads)) {
        bool ok = false;
        const int n = parser.value(threads).toInt(&ok);
        if (!ok)
            return Usage("--threads wants a number, got '" + parser.value(threads).toStdString() + "'");
        o->SetThreadCount(n);
    }
    for (const QString& assignment : parser.values(set)) {
        const std::string error = SetOptionProperty(o, assignment);
        if (!error.empty())
            return Usage("--set: " + error);
    }
    if (const std::string error = OutOfBoundsError(
            *o, parser.values(set),
            {{"StartTime", "--start"}, {"RecordingTime", "--length"}, {"ThreadCount", "--threads"}});
        !error.empty())
        return Usage(error);
    if (const auto problem = CheckConvertFiles(inputs, outputs)) {
        if (problem->exit_code == 2)
            return Usage(problem->message);
        std::fprintf(stderr, "vconv convert: %s\n", problem->message.c_str());
        return problem->exit_code;
    }
    if (const std::string error = StartPastEndError(*o, inputs); !error.empty())
        return Usage(error);
    converter.SetInputFiles(inputs);
    converter.SetOutputFiles(outputs);

    // Through the task list and the history unless --no-history.
    if (const auto code =
            RunConvertAsTask(parser, task_options, profile_filter_options, converter, dvd, *style))
        return *code;

    const bool show_progress = *style == ProgressStyle::Text;
    const bool json = *style == ProgressStyle::Json;
    const bool terminal = isatty(STDERR_FILENO) == 1;
    if (parser.isSet(verbose)) {
        QObject::connect(
            &converter, &TAVConverter::OnLog, &converter,
            [](int, const QString& log) { std::fprintf(stderr, "%s", log.toLocal8Bit().constData()); },
            Qt::DirectConnection);
    }
    bool failed_to_open = false;
    bool stopped = false;
    QObject::connect(&converter, &TAVConverter::OnError, &converter,
                     [&](const QString&) { failed_to_open = true; });
    QObject::connect(&converter, &TAVConverter::OnStopped, &converter, [&] { stopped = true; });

    // The slot pool shared with the desktop program and other vconv runs; without it the
    // conversion simply runs.
    std::unique_ptr<TSemaphore> sem;
    try {
        sem = OpenThreadSem();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv: running without the conversion-slot pool: %s\n", e.what());
    }

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND; // a second Ctrl+C ends the program
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    g_interrupted = false;

    converter.Start(sem.get());
    auto last_print = std::chrono::steady_clock::now() - std::chrono::seconds(2);
    bool printed_in_place = false;
    auto progress_line = [&] {
        char line[160];
        std::snprintf(line, sizeof line, "%3d%%  %.1f kbit/s  elapsed %s  remaining %s", converter.Progress(),
                      converter.Bitrate(), FormatSeconds(converter.ElapsedSeconds()).c_str(),
                      FormatSeconds(converter.RemainingSeconds()).c_str());
        return std::string(line);
    };
    QString json_state;
    int json_percent = -1;
    auto json_line = [&](const QString& state) {
        PrintJsonProgress(std::nullopt, state, FiguresOf(&converter));
        json_state = state;
        json_percent = converter.Progress();
        last_print = std::chrono::steady_clock::now();
    };
    while (!converter.WaitForIdle(terminal ? 200 : 250)) {
        if (g_interrupted)
            converter.Stop(); // repeated: a run still opening its files takes it once it runs
        const auto now = std::chrono::steady_clock::now();
        if (json) {
            const TAVConverter::TAVConverterState state = converter.State();
            const QString name = state == TAVConverter::cvRunning    ? "running"
                                 : state == TAVConverter::cvWaiting  ? "waiting"
                                 : state == TAVConverter::cvPaused   ? "paused"
                                 : state == TAVConverter::cvStopping ? "stopping"
                                                                     : "opening";
            if (name != json_state || converter.Progress() != json_percent ||
                now - last_print >= std::chrono::seconds(1))
                json_line(name);
            continue;
        }
        if (!show_progress || converter.State() == TAVConverter::cvIdle)
            continue;
        if (terminal) {
            std::fprintf(stderr, "\r%s\033[K", progress_line().c_str());
            printed_in_place = true;
        } else if (now - last_print >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "%s\n", progress_line().c_str());
            last_print = now;
        }
    }
    if (printed_in_place)
        std::fprintf(stderr, "\r%s\033[K\n", progress_line().c_str());

    if (stopped || (g_interrupted && converter.LastError().empty() && !failed_to_open)) {
        if (json)
            json_line("stopped");
        std::fprintf(stderr, "Stopped; the output written so far is finished and playable.\n");
        return 130;
    }
    if (failed_to_open || !converter.LastError().empty()) {
        if (json)
            json_line("failed");
        return 1; // the reason went to stderr as the error message
    }
    if (json)
        json_line("finished");
    if (show_progress)
        std::fprintf(stderr, "Done: %s\n", outputs.join(", ").toLocal8Bit().constData());
    return 0;
}

} // namespace vc::cli
