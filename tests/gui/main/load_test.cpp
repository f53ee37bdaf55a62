// The window under load: the main thread keeps answering while four conversions run, and memory
// stays level while many tasks complete. Both print what they measured.
#include "gui/main/list_frame.h"
#include "gui/models/task_list_model.h"
#include "support/gui_test.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <malloc.h>

namespace vc::test {
namespace {

using namespace std::chrono_literals;
using St = TConversionSettings;

// Resident memory of this process, in kB.
long ResidentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

TEST_F(WindowTest, TheMainThreadNeverStallsWhileFourConversionsRun) {
    MakeWindow();
    for (int i = 0; i < 4; ++i)
        window_->AddConversion(*EndlessRequest(QString("endless-%1").arg(i)));
    ASSERT_EQ(Rows(), 4);
    ASSERT_TRUE(RunEventsUntil([&] {
        for (int row = 0; row < 4; ++row)
            if (Task(row)->Status() != St::stRunning)
                return false;
        return true;
    }));
    SelectRows({0, 1, 2, 3}); // the log of the focused one is shown too

    // A 5 ms timer on the main thread: how late it fires is how long the thread was kept busy.
    QElapsedTimer clock;
    qint64 last = 0, longest_gap = 0, ticks = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest_gap = std::max(longest_gap, now - last);
        last = now;
        ++ticks;
    });
    clock.start();
    probe.start();
    RunEventsFor(4000ms);
    probe.stop();
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Task(row)->Status(), St::stRunning) << "row " << row; // they ran throughout
    std::printf(
        "[ measured ] longest main-thread gap while four conversions ran: %lld ms (%lld ticks of 5 ms "
        "in 4 s)\n",
        static_cast<long long>(longest_gap), static_cast<long long>(ticks));
    EXPECT_LE(longest_gap, 50);

    window_->actStopTask->trigger();
    EXPECT_TRUE(RunEventsUntil([&] {
        for (int row = 0; row < 4; ++row)
            if (Task(row)->Converter().IsBusy())
                return false;
        return true;
    }));
}

TEST_F(WindowTest, MemoryStaysLevelOverTwoHundredCompletedTasks) {
    MakeWindow();
    auto run = [&](int count) {
        for (int i = 0; i < count; i += 4) {
            for (int j = i; j < std::min(count, i + 4); ++j)
                window_->AddConversion(*CopyRequest(1, QString("copy-%1").arg(j % 8)));
            // They complete and leave the list.
            if (!RunEventsUntil([&] { return Rows() == 0; }, 60s))
                return false;
        }
        RunEventsFor(100ms); // completed tasks are freed after their last event
        malloc_trim(0);
        return true;
    };
    ASSERT_TRUE(run(40)); // warm-up: caches, the store's pages, thread stacks
    const long after_warm_up = ResidentKb();
    ASSERT_TRUE(run(80));
    const long after_120 = ResidentKb();
    ASSERT_TRUE(run(80));
    const long after_200 = ResidentKb();
    std::printf("[ measured ] resident memory after 40 / 120 / 200 completed tasks: %ld / %ld / %ld kB\n",
                after_warm_up, after_120, after_200);
    EXPECT_TRUE(sink_.Messages().empty());
    EXPECT_EQ(OpenStore()->LoadConvertedTask(1).size(), 200u);
    // Level: the last 80 tasks add no more than the 80 before them plus noise, and neither adds
    // anything near what 80 kept tasks would (each holds a converter of several hundred kB).
    EXPECT_LT(after_200 - after_120, 4096);
    EXPECT_LT(after_200 - after_warm_up, 8192);
}

} // namespace
} // namespace vc::test
