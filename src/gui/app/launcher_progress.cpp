#include "gui/app/launcher_progress.h"

#include "engine/converter/converter.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QDBusMessage>
#include <QVariantMap>
#include <algorithm>
#include <cmath>

namespace vc::gui {

LauncherFigures FiguresForPercents(const std::vector<int>& percents) {
    LauncherFigures figures;
    figures.count = static_cast<int>(percents.size());
    if (percents.empty())
        return figures;
    double sum = 0;
    for (int percent : percents)
        sum += std::clamp(percent, 0, 100);
    // Whole percents: a dock cannot show finer, and the signal is sent only on a change.
    figures.progress = std::round(sum / static_cast<double>(percents.size())) / 100.0;
    return figures;
}

LauncherFigures ConversionFigures(const TTaskTree& tree) {
    std::vector<int> percents;
    for (const auto& task : tree.ConvertingNode().Tasks()) {
        const TAVTaskStatus status = task->Status();
        if (status != TConversionSettings::stRunning && status != TConversionSettings::stWaiting &&
            status != TConversionSettings::stPaused)
            continue;
        percents.push_back(task->HasConverter() ? task->Converter().Progress() : 0);
    }
    return FiguresForPercents(percents);
}

TLauncherProgress::TLauncherProgress(const QDBusConnection& bus, Source source, QObject* parent)
    : QObject(parent), bus_(bus), source_(std::move(source)) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &TLauncherProgress::Update);
    if (bus_.isConnected())
        timer_.start();
}

void TLauncherProgress::Update() {
    const LauncherFigures figures = source_ ? source_() : LauncherFigures{};
    if (figures == last_)
        return;
    Send(figures);
    last_ = figures;
}

void TLauncherProgress::Send(const LauncherFigures& figures) {
    const bool visible = figures.count > 0;
    QVariantMap properties;
    properties["progress"] = figures.progress;
    properties["progress-visible"] = visible;
    properties["count"] = static_cast<qint64>(figures.count);
    properties["count-visible"] = visible;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "Update");
    signal << QString(kAppUri) << properties;
    bus_.send(signal);
}

} // namespace vc::gui
