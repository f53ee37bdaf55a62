// The history at scale: 100,000 finished tasks in 20 categories. Prints the time to list one
// category of 5,000 tasks (store rows, then task objects with their stored requests read) and of
// 1,000 tasks for the per-row slope, and the time to record and finish one more task.
// Usage: bench_task_history [FOLDER]  (a fresh temporary folder when none is given)
#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;
double Micros(Clock::time_point since) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count();
}
// CPU time of the process in microseconds: on a busy machine wall time measures the neighbours.
double CpuMicros() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

constexpr int kCategories = 20;
constexpr int kTasks = 100000;

struct Timing {
    double wall_us = 1e18;
    double cpu_us = 1e18;
};

// The best of a few runs.
template <typename F> Timing Best(int runs, F&& f) {
    Timing best;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        const double c0 = CpuMicros();
        f();
        best.cpu_us = std::min(best.cpu_us, CpuMicros() - c0);
        best.wall_us = std::min(best.wall_us, Micros(t0));
    }
    return best;
}

void PrintRows(const char* what, Timing big, Timing small) {
    std::printf("%-16s 5000 rows: %7.0f us wall %5.1f us/row, CPU %5.1f us/row | 1000 rows: %6.0f us wall "
                "%5.1f us/row, CPU %5.1f us/row\n",
                what, big.wall_us, big.wall_us / 5000, big.cpu_us / 5000, small.wall_us, small.wall_us / 1000,
                small.cpu_us / 1000);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    try {
        vc::TPersistentManager store(folder, "/v/out");

        // A request as the wizard leaves it: sources, target, profile and converter options.
        vc::TConversionSettings request;
        request.SetSourceFiles({"/home/user/Videos/holiday 2026/clip-0001.mov"});
        request.SetTargetFile("/home/user/Conversion/clip-0001.mp4");
        request.SetProfile("MP4 H.264 720p");
        request.SetDuration(183.4);
        request.SetSourceFileSize(48'123'456);
        request.ConvertOptions()->SetOutputFormat("mp4");
        request.ConvertOptions()->VideoOptions()->SetEncoderVideoCodecName("libx264");
        request.ConvertOptions()->VideoOptions()->SetFrameWidth(1280);
        request.ConvertOptions()->VideoOptions()->SetFrameHeight(720);
        request.ConvertOptions()->AudioOptions()->SetEncoderAudioCodecName("aac");
        const QString xml = vc::TPersistentManager::GetConvertSettings(request);

        std::vector<int> categories;
        for (int c = 0; c < kCategories; ++c)
            categories.push_back(store.NewCategory(QString("Category %1").arg(c), "/v/c", 1));
        const int small = store.NewCategory("Small", "/v/s", 1);

        // Filled through a second connection in one transaction: building the fixture is not
        // what is measured.
        auto fill_start = Clock::now();
        {
            vc::SqliteDb db(vc::TPersistentManager::DatabasePath(folder).toStdString());
            vc::SqliteTransaction transaction(db);
            auto& insert = db.Prepare("insert into Conversions (Converting, ConvertSettings, ConvertedDate, "
                                      "CategoryId, Log) values (0, ?, ?, ?, ?)");
            const QDateTime base = QDateTime::currentDateTime().addDays(-400);
            auto add = [&](int i, int category) {
                insert.Reset()
                    .Bind(1, xml)
                    .Bind(2, vc::TPersistentManager::DateToStored(base.addSecs(i * 60)))
                    .Bind(3, category)
                    .Bind(4, QStringLiteral("[mp4 @ 0x1] line one\r\n[aac @ 0x2] line two\r\n"));
                insert.Run();
            };
            for (int i = 0; i < kTasks; ++i)
                add(i, categories[i % kCategories]);
            for (int i = 0; i < 1000; ++i)
                add(kTasks + i, small);
            transaction.Commit();
        }
        std::printf("fixture: %d finished tasks in %d categories (+1000) written in %.1f s\n", kTasks,
                    kCategories, Micros(fill_start) / 1e6);

        const int big = categories[7];
        PrintRows("store rows", Best(5, [&] { (void)store.LoadConvertedTask(big); }),
                  Best(5, [&] { (void)store.LoadConvertedTask(small); }));

        vc::TTaskView view;
        vc::TTaskTree tree(store, view);
        tree.LoadCategories();
        vc::TConvertedNode* big_node = tree.FindCategory(big);
        vc::TConvertedNode* small_node = tree.FindCategory(small);
        const Timing list_big = Best(3, [&] { big_node->LoadTaskList(&view); });
        PrintRows("category listed", list_big, Best(3, [&] { small_node->LoadTaskList(&view); }));
        if (big_node->Tasks().size() != 5000 ||
            big_node->Tasks()[0]->Settings().Profile() != "MP4 H.264 720p") {
            std::fprintf(stderr, "listing went wrong\n");
            return 1;
        }

        const Timing finish = Best(5, [&] {
            const auto id = store.NewDbTask(xml);
            store.FinishDbTask(id, xml, big, "done\r\n");
        });
        std::printf("one more task recorded and finished: %.0f us wall, %.0f us CPU\n", finish.wall_us,
                    finish.cpu_us);
        std::printf("target: under 40 us per listed row -> %s (wall), %s (CPU)\n",
                    list_big.wall_us / 5000 < 40 ? "met" : "NOT met",
                    list_big.cpu_us / 5000 < 40 ? "met" : "NOT met");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
