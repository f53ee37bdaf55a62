// The launcher signal on a private session bus carries the progress of the window's conversions:
// two of them under way show as a count of two and their mean progress, and none hides it.
#include "engine/converter/converter.h"
#include "gui/app/launcher_progress.h"
#include "support/gui_test.h"
#include "support/private_bus.h"
#include "support/slow_file_stream.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "window_fixture.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <cmath>

namespace vc::test {
namespace {

using namespace std::chrono_literals;
using St = TConversionSettings;

// What a dock hears.
class LauncherListener : public QObject {
    Q_OBJECT

public:
    struct Update {
        QString app;
        QVariantMap properties;
    };
    std::vector<Update> updates;

public slots:
    void Received(const QString& app, const QVariantMap& properties) { updates.push_back({app, properties}); }
};

TEST_F(WindowTest, TheLauncherSignalCarriesTheProgressOfTwoConversions) {
    VC_START_PRIVATE_BUS(bus);
    LauncherListener listener;
    QDBusConnection dock = bus.Connect("dock");
    ASSERT_TRUE(dock.connect(QString(), gui::TLauncherProgress::kPath, gui::TLauncherProgress::kInterface,
                             "Update", &listener, SLOT(Received(QString, QVariantMap))));

    MakeWindow();
    // Read slowly, so both are caught in the middle.
    SlowSource first(Media("h264_aac.mp4"), 3ms);
    SlowSource second(Media("h264_aac.mp4"), 3ms);
    for (const auto* source : {&first, &second}) {
        auto request = CopyRequest(1, source == &first ? "first" : "second");
        request->SetSourceFiles({QString::fromStdString(source->Url())});
        window_->AddConversion(*request);
    }
    const auto& tasks = window_->Session().Tree()->ConvertingNode().Tasks();
    ASSERT_EQ(tasks.size(), 2u);
    ASSERT_TRUE(RunEventsUntil([&] {
        return tasks[0]->Status() == St::stRunning && tasks[1]->Status() == St::stRunning &&
               tasks[0]->Converter().Progress() > 0 && tasks[1]->Converter().Progress() > 0;
    }));
    // Paused, their figures hold still.
    tasks[0]->Pause();
    tasks[1]->Pause();
    ASSERT_TRUE(RunEventsUntil([&] {
        return tasks[0]->Converter().State() == TAVConverter::cvPaused &&
               tasks[1]->Converter().State() == TAVConverter::cvPaused;
    }));
    const int p0 = tasks[0]->Converter().Progress();
    const int p1 = tasks[1]->Converter().Progress();

    gui::TLauncherProgress launcher(bus.Connect("program"),
                                    [&] { return gui::ConversionFigures(*window_->Session().Tree()); });
    ASSERT_TRUE(RunEventsUntil([&] { return !listener.updates.empty(); }, 10s));
    const auto& shown = listener.updates.back();
    EXPECT_EQ(shown.app, "application://videoconverter.desktop");
    EXPECT_EQ(shown.properties.value("count").toLongLong(), 2);
    EXPECT_TRUE(shown.properties.value("count-visible").toBool());
    EXPECT_TRUE(shown.properties.value("progress-visible").toBool());
    EXPECT_NEAR(shown.properties.value("progress").toDouble(), std::round((p0 + p1) / 2.0) / 100.0, 1e-9)
        << p0 << " and " << p1;
    EXPECT_GT(shown.properties.value("progress").toDouble(), 0.0);

    // Unchanged figures are not sent again; once both are stopped the bar goes.
    const size_t sent = listener.updates.size();
    launcher.Update();
    RunEventsFor(200ms);
    EXPECT_EQ(listener.updates.size(), sent);
    tasks[0]->Stop();
    tasks[1]->Stop();
    ASSERT_TRUE(RunEventsUntil([&] {
        return !listener.updates.empty() &&
               !listener.updates.back().properties.value("progress-visible").toBool();
    }));
    EXPECT_EQ(listener.updates.back().properties.value("count").toLongLong(), 0);
}

} // namespace
} // namespace vc::test

#include "launcher_test.moc"
