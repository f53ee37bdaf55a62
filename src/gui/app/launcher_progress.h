#pragma once
// The overall progress of the running conversions on the program's launcher icon: docks and task
// bars read the com.canonical.Unity.LauncherEntry "Update" signal for the program's desktop entry
// (a progress bar and a count on the icon). Sent when the figures change; once nothing converts
// any more, a last signal hides them.
#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace vc {
class TTaskTree;
}

namespace vc::gui {

struct LauncherFigures {
    int count = 0;       // conversions under way (running, waiting for a slot or paused)
    double progress = 0; // 0 to 1: their mean progress
    bool operator==(const LauncherFigures&) const = default;
};

// The figures for these conversions' percentages.
LauncherFigures FiguresForPercents(const std::vector<int>& percents);
// The figures of the task list's conversions under way.
LauncherFigures ConversionFigures(const TTaskTree& tree);

class TLauncherProgress : public QObject {
    Q_OBJECT

public:
    static constexpr char kInterface[] = "com.canonical.Unity.LauncherEntry";
    static constexpr char kPath[] = "/com/canonical/unity/launcherentry/videoconverter";
    static constexpr char kAppUri[] = "application://videoconverter.desktop";
    static constexpr int kIntervalMs = 500;

    using Source = std::function<LauncherFigures()>;
    TLauncherProgress(const QDBusConnection& bus, Source source, QObject* parent = nullptr);

    // Reads the figures and sends them when they changed (the timer does this every interval).
    void Update();
    const LauncherFigures& LastSent() const { return last_; }

private:
    void Send(const LauncherFigures& figures);

    QDBusConnection bus_;
    Source source_;
    QTimer timer_;
    LauncherFigures last_;
};

} // namespace vc::gui
