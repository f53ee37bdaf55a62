#pragma once
// How the converting commands (convert, batch, start) show progress on stderr: a table or line
// for people (the default), nothing (-q), or one JSON object a line for scripts
// (--progress json).
#include <QCommandLineOption>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class QCommandLineParser;

namespace vc {
class TAVConverter;
}

namespace vc::cli {

enum class ProgressStyle { None, Text, Json };

// --progress text|json
QCommandLineOption ProgressOption();

// The style -q and --progress choose; an unknown --progress value (or -q with json) is a usage
// error: nullopt and `error` says why.
std::optional<ProgressStyle> ChosenProgressStyle(const QCommandLineParser& parser,
                                                 const QCommandLineOption& progress,
                                                 const QCommandLineOption& quiet, std::string& error);

// A run's figures as the progress lines give them.
struct ProgressFigures {
    int percent = 0;
    double fps = 0;          // pictures encoded per second of the run
    double bitrate_kbps = 0; // of the output so far
    std::int64_t elapsed_s = 0;
    std::optional<std::int64_t> time_left_s; // unknown until some progress is made
};
// Read from a converter; a null one has none (zeros).
ProgressFigures FiguresOf(const TAVConverter* converter);

// One progress object: {"id":…,"state":…,"percent":…,"fps":…,"bitrate_kbps":…,"elapsed_s":…,
// "time_left_s":…}. `id` is null for a conversion outside the task list; an unknown time left is
// null. A finished run reports 100 % and no time left.
QByteArray JsonProgressLine(std::optional<std::int64_t> id, const QString& state,
                            const ProgressFigures& figures);

// Writes the line on stderr (flushed: a script reads it as it comes).
void PrintJsonProgress(std::optional<std::int64_t> id, const QString& state, const ProgressFigures& figures);

} // namespace vc::cli
