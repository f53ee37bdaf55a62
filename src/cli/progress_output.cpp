#include "cli/progress_output.h"

#include "engine/converter/converter.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>

namespace vc::cli {

QCommandLineOption ProgressOption() {
    return QCommandLineOption(
        "progress",
        "How progress shows on stderr: text (for people, the default) or json (one "
        "object a line: id, state, percent, fps, bitrate_kbps, elapsed_s, time_left_s).",
        "text|json");
}

std::optional<ProgressStyle> ChosenProgressStyle(const QCommandLineParser& parser,
                                                 const QCommandLineOption& progress,
                                                 const QCommandLineOption& quiet, std::string& error) {
    ProgressStyle style = ProgressStyle::Text;
    if (parser.isSet(progress)) {
        const QString value = parser.value(progress).trimmed().toLower();
        if (value == "json")
            style = ProgressStyle::Json;
        else if (value != "text") {
            error = "--progress takes text or json, not '" + parser.value(progress).toStdString() + "'";
            return std::nullopt;
        }
    }
    if (parser.isSet(quiet)) {
        if (style == ProgressStyle::Json) {
            error = "-q shows no progress; it does not go with --progress json";
            return std::nullopt;
        }
        style = ProgressStyle::None;
    }
    return style;
}

ProgressFigures FiguresOf(const TAVConverter* converter) {
    ProgressFigures figures;
    if (!converter)
        return figures;
    figures.percent = converter->Progress();
    figures.bitrate_kbps = converter->Bitrate();
    figures.elapsed_s = converter->ElapsedSeconds();
    const qint64 span_us = converter->LastTime() - converter->StartTime();
    if (span_us > 0 && converter->StartTime() > 0)
        figures.fps = static_cast<double>(converter->VideoFrames()) * 1e6 / static_cast<double>(span_us);
    if (figures.percent > 0)
        figures.time_left_s = converter->RemainingSeconds();
    return figures;
}

QByteArray JsonProgressLine(std::optional<std::int64_t> id, const QString& state,
                            const ProgressFigures& figures) {
    const bool finished = state == "finished";
    QJsonObject line;
    line["id"] = id ? QJsonValue(static_cast<qint64>(*id)) : QJsonValue(QJsonValue::Null);
    line["state"] = state;
    line["percent"] = finished ? 100 : figures.percent;
    line["fps"] = std::round(figures.fps * 10) / 10;
    line["bitrate_kbps"] = std::round(figures.bitrate_kbps * 10) / 10;
    line["elapsed_s"] = static_cast<qint64>(figures.elapsed_s);
    if (finished)
        line["time_left_s"] = 0;
    else if (figures.time_left_s)
        line["time_left_s"] = static_cast<qint64>(*figures.time_left_s);
    else
        line["time_left_s"] = QJsonValue(QJsonValue::Null);
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

void PrintJsonProgress(std::optional<std::int64_t> id, const QString& state, const ProgressFigures& figures) {
    const QByteArray line = JsonProgressLine(id, state, figures);
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace vc::cli
