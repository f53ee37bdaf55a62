// Tasks converting for real: a request through to its history category, slots shared between
// tasks, pause handing a slot over, and deleting a task that waits for one.
#include "engine/converter/converter.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "model/settings/configuration.h"
#include "platform/system_shutdown.h"
#include "platform/thread_sem.h"
#include "store/persistent_manager.h"
#include "support/recording_message_sink.h"
#include "support/slow_file_stream.h"
#include "support/test_env.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <unistd.h>
#include <utility>

namespace vc {

namespace {

using namespace std::chrono_literals;

struct RecordingView : TTaskView {
    TNodeObject* selected_node = nullptr;
    std::vector<TAVTask*> rows;
    QStringList alerts;
    TNodeObject* SelectedNode() const override { return selected_node; }
    void ListCleared() override { rows.clear(); }
    void RowAdded(TAVTask* task) override { rows.push_back(task); }
    void RowRemoved(TAVTask* task) override { std::erase(rows, task); }
    void ShowCompletionAlert(const QString& target) override { alerts << target; }
};

class TaskRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv); // lives for the whole test program
    }

    TaskRunTest()
        : sem_name_("vc-test-tasks-" + std::to_string(getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name()),
          store_(QString::fromStdString((dir_ / "app").string()), "/v/out"), tree_(store_, view_) {
        RemoveNamedSemaphore(sem_name_);
        tree_.SetShutdown(&shutdown_);
    }
    ~TaskRunTest() override {
        // Tasks (and their workers) go before the pool they use.
        tree_.ConvertingNode().ClearTasks();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        RemoveNamedSemaphore(sem_name_);
        AVConfiguration().SetShutdownWhenDone(false);
    }

    std::unique_ptr<TConversionSettings> CopyRequest(int category) {
        auto s = std::make_unique<TConversionSettings>();
        s->SetSourceFiles({QString::fromStdString(test::Media("h264_aac.mp4").string())});
        s->SetTargetFolder(QString::fromStdString((dir_ / "out").string()));
        s->SetTargetFile(".mkv");
        s->SetProfile("MKV copy");
        s->SetCategoryId(category);
        s->ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
        s->ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
        return s;
    }

    // The slot pool of a test. Held by the fixture so that it outlives the tasks, whose workers
    // give their units back as they finish.
    TSemaphore* Pool(int count) {
        pool_ = OpenNamedSemaphore(sem_name_, count);
        return pool_.get();
    }

    static std::function<bool()> GiveUpAfter(std::chrono::milliseconds limit) {
        return [end = std::chrono::steady_clock::now() + limit] {
            return std::chrono::steady_clock::now() > end;
        };
    }

    // Runs the event loop until `done` holds; false after `limit`.
    static bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 30s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    // A copy request whose source is read slowly (about a second for the 5 s clip), so a test
    // can act mid-way; written to `name` in the output folder.
    std::unique_ptr<TConversionSettings> SlowRequest(const std::string& name) {
        slow_sources_.push_back(std::make_unique<test::SlowSource>(test::Media("h264_aac.mp4"), 3ms, 512));
        auto s = CopyRequest(1);
        s->SetSourceFiles({QString::fromStdString(slow_sources_.back()->Url())});
        s->SetTargetFolder("");
        s->SetTargetFile(QString::fromStdString((dir_ / name).string()));
        return s;
    }

    test::TempDir dir_;
    std::vector<std::unique_ptr<test::SlowSource>> slow_sources_; // outlive the tasks reading them
    std::string sem_name_;
    test::RecordingMessageSink sink_;
    TPersistentManager store_;
    RecordingView view_;
    RecordingSystemShutdown shutdown_;
    std::unique_ptr<TSemaphore> pool_; // destroyed after the destructor body has freed the tasks
    TTaskTree tree_;
};

} // namespace

TEST_F(TaskRunTest, ARequestConvertsAndLandsInTheShownHistoryCategory) {
    TSemaphore* sem = Pool(2);
    const int films = store_.NewCategory("Films", "/v/films", 1);
    tree_.LoadCategories();
    TConvertedNode* category = tree_.FindCategory(films);
    view_.selected_node = category;
    category->LoadTaskList(&view_);
    AVConfiguration().SetShutdownWhenDone(true);

    TAVTask* task = tree_.ConvertingNode().NewConversion(*CopyRequest(films), sem);
    const QString output = QString::fromStdString((dir_ / "out" / "h264_aac.mkv").string());
    EXPECT_EQ(task->Settings().TargetFile(), output); // resolved at the start, stored with the row
    EXPECT_TRUE(task->Settings().TargetFolder().isEmpty());
    const auto id = task->ID();
    EXPECT_GT(id, 0);
    EXPECT_TRUE(store_.LoadTask(id)->ConvertSettings.contains("h264_aac.mkv"));

    ASSERT_TRUE(RunUntil([&] { return tree_.ConvertingNode().Tasks().empty(); }));
    const auto row = store_.LoadTask(id);
    ASSERT_TRUE(row.has_value());
    EXPECT_FALSE(row->Converting);
    EXPECT_EQ(row->CategoryId, films);
    EXPECT_TRUE(row->ConvertedDate.isValid());
    TConversionSettings stored;
    TPersistentManager::ReadConvertSettings(stored, row->ConvertSettings);
    EXPECT_NEAR(stored.Duration(), 5.0, 0.2);
    // The task moved into the category on screen, shown finished.
    ASSERT_EQ(category->Tasks().size(), 1u);
    ASSERT_EQ(view_.rows.size(), 1u);
    EXPECT_EQ(view_.rows[0]->Status(), TConversionSettings::stFinished);
    EXPECT_TRUE(view_.rows[0]->ConvertedIsValid());
    EXPECT_EQ(view_.alerts, QStringList{output});
    EXPECT_EQ(shutdown_.Calls(), 1);
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 2; }));
    std::string errors;
    EXPECT_TRUE(test::DecodesCleanly(output.toStdString(), &errors)) << errors;
}

TEST_F(TaskRunTest, ARunEndingOnAnErrorStaysInTheListAsFailed) {
    TSemaphore* sem = Pool(2);
    auto request = CopyRequest(1);
    // Re-encoding through a filter that does not exist fails once transcoding has begun.
    request->ConvertOptions()->VideoOptions()->SetVideoStreamCopy(false);
    request->ConvertOptions()->VideoOptions()->SetEncoderVideoCodecName("mpeg4");
    request->ConvertOptions()->FilterOptions()->SetVideoFilters("nosuchfilter");
    TAVTask* task = tree_.ConvertingNode().NewConversion(*request, sem);
    const auto id = task->ID();

    ASSERT_TRUE(RunUntil([&] {
        return task->Status() == TConversionSettings::stError &&
               task->Converter().State() == TAVConverter::cvIdle;
    }));
    ASSERT_EQ(tree_.ConvertingNode().Tasks().size(), 1u);
    EXPECT_TRUE(task->LogText().contains("Error opening filters!")) << task->LogText().toStdString();
    const auto row = store_.LoadTask(id);
    ASSERT_TRUE(row.has_value());
    EXPECT_TRUE(row->Converting); // still a task, not history
    const auto texts = sink_.Texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.starts_with("Error opening filters!"); }));
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 2; }));
}

TEST_F(TaskRunTest, PausingARunningTaskLetsAWaitingOneRunAndResumeWaitsForTheSlot) {
    TSemaphore* sem = Pool(1);
    TConvertingNode& node = tree_.ConvertingNode();
    TAVTask* first = node.NewConversion(*SlowRequest("first.mkv"), sem);
    TAVTask* second = node.NewConversion(*SlowRequest("second.mkv"), sem);

    // Either may win the slot; "first" is the one that did. The converters' states are asked,
    // because a task still opening its files shows as running too.
    ASSERT_TRUE(RunUntil([&] {
        const auto a = first->Converter().State(), b = second->Converter().State();
        return (a == TAVConverter::cvRunning && b == TAVConverter::cvWaiting) ||
               (b == TAVConverter::cvRunning && a == TAVConverter::cvWaiting);
    }));
    if (second->Converter().State() == TAVConverter::cvRunning)
        std::swap(first, second);
    // Paused inside its packet loop: a pause and resume that its worker never sees (during the
    // set-up) would leave it running without a slot, which is not what is tested here.
    ASSERT_TRUE(RunUntil([&] { return first->Converter().Progress() > 0; }));
    first->Pause();
    EXPECT_EQ(first->Status(), TConversionSettings::stPaused);
    ASSERT_TRUE(RunUntil([&] { return second->Converter().State() == TAVConverter::cvRunning; }));
    RunUntil([] { return false; }, 200ms); // lets the paused worker reach its pause
    first->Resume();
    // One slot: the resumed task makes no progress while the other converts.
    const int paused_at = first->Converter().Progress();
    // While the other one converts, the resumed one stays where it was.
    bool moved_while_other_ran = false;
    RunUntil(
        [&] {
            const bool moved = first->Converter().Progress() != paused_at;
            const bool listed = std::any_of(node.Tasks().begin(), node.Tasks().end(),
                                            [&](const auto& t) { return t.get() == second; });
            const bool other_runs = listed && second->Converter().State() == TAVConverter::cvRunning;
            moved_while_other_ran = moved_while_other_ran || (moved && other_runs);
            return !other_runs;
        },
        300ms);
    EXPECT_FALSE(moved_while_other_ran);
    ASSERT_TRUE(RunUntil([&] { return node.Tasks().empty(); }));
    EXPECT_EQ(store_.LoadConvertedTask(1).size(), 2u);
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 1; }));
}

// Pause and resume both reach the converter while its worker waits for its slow input, before it
// looks at its state again. The resumed run must still wait for a slot instead of converting
// without one.
TEST_F(TaskRunTest, APauseTheWorkerNeverSawStillCostsTheSlot) {
    TSemaphore* sem = Pool(1);
    TAVTask* task = tree_.ConvertingNode().NewConversion(*SlowRequest("out.mkv"), sem);
    ASSERT_TRUE(RunUntil([&] { return task->Converter().ConvertedDuration() > 0.2; }));
    task->Pause();
    ASSERT_TRUE(sem->Acquire(GiveUpAfter(5s))); // someone else takes the freed slot
    task->Resume();
    RunUntil([] { return false; }, 300ms); // the packet it was reading is written
    const double paused_at = task->Converter().ConvertedDuration();
    RunUntil([] { return false; }, 500ms);
    EXPECT_EQ(task->Converter().ConvertedDuration(), paused_at) << "converted without a slot";
    EXPECT_TRUE(task->Converter().IsBusy());
    sem->Release();
    ASSERT_TRUE(RunUntil([&] { return tree_.ConvertingNode().Tasks().empty(); }));
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 1; }));
}

TEST_F(TaskRunTest, WithTwoSlotsTheThirdTaskWaitsUntilOneFinishes) {
    TSemaphore* sem = Pool(2);
    TConvertingNode& node = tree_.ConvertingNode();
    std::vector<TAVTask*> tasks;
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 3; ++i) {
        tasks.push_back(node.NewConversion(*SlowRequest("out" + std::to_string(i) + ".mkv"), sem));
        ids.push_back(tasks.back()->ID());
    }
    // Converter states: a task still opening its files also shows as running.
    auto count = [&](TAVConverter::TAVConverterState state) {
        return std::count_if(node.Tasks().begin(), node.Tasks().end(),
                             [&](const auto& t) { return t->Converter().State() == state; });
    };
    ASSERT_TRUE(
        RunUntil([&] { return count(TAVConverter::cvRunning) == 2 && count(TAVConverter::cvWaiting) == 1; }));
    EXPECT_EQ(count(TAVConverter::cvRunning), 2);
    int most_running = 0;
    ASSERT_TRUE(RunUntil([&] {
        most_running = std::max<int>(most_running, count(TAVConverter::cvRunning));
        return node.Tasks().empty();
    }));
    EXPECT_EQ(most_running, 2);
    for (auto id : ids)
        EXPECT_FALSE(store_.LoadTask(id)->Converting) << id;
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 2; }));
}

TEST_F(TaskRunTest, DeletingATaskThatWaitsForASlotEndsTheWaitAndKeepsThePool) {
    TSemaphore* sem = Pool(1);
    ASSERT_TRUE(sem->Acquire()); // every slot taken
    TConvertingNode& node = tree_.ConvertingNode();
    TAVTask* task = node.NewConversion(*CopyRequest(1), sem);
    const auto id = task->ID();
    ASSERT_TRUE(RunUntil([&] { return task->Status() == TConversionSettings::stWaiting; }));

    const auto before = std::chrono::steady_clock::now();
    task->Delete(false, false);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(node.Tasks().empty());
    EXPECT_FALSE(store_.LoadTask(id).has_value());
    EXPECT_EQ(NamedSemaphoreValue(sem_name_), 0); // the test's unit is still out, nothing else
    sem->Release();
    EXPECT_EQ(NamedSemaphoreValue(sem_name_), 1);
}

TEST_F(TaskRunTest, AnUnreadableSourceFailsTheTaskWithoutHoldingASlot) {
    TSemaphore* sem = Pool(1);
    auto request = CopyRequest(1);
    request->SetSourceFiles({QString::fromStdString(test::Media("garbage.mp4").string())});
    TConvertingNode& node = tree_.ConvertingNode();
    view_.selected_node = &node;
    TAVTask* task = node.NewConversion(*request, sem);
    ASSERT_TRUE(RunUntil([&] { return !task->Converter().IsBusy(); }));
    RunUntil([] { return false; }, 100ms); // the queued log refresh
    EXPECT_EQ(task->Status(), TConversionSettings::stError);
    EXPECT_FALSE(task->Log().isEmpty());
    EXPECT_EQ(node.Tasks().size(), 1u);
    EXPECT_TRUE(store_.LoadTask(task->ID())->Converting); // still there to start again
    EXPECT_TRUE(view_.alerts.isEmpty());
    EXPECT_EQ(NamedSemaphoreValue(sem_name_), 1);
}

TEST_F(TaskRunTest, AStoppedTaskStaysFailedInTheListAndARestartCompletesItIntoTheRoot) {
    TSemaphore* sem = Pool(2);
    TConvertingNode& node = tree_.ConvertingNode();
    auto request = SlowRequest("out.mkv");
    request->SetCategoryId(77); // no such category
    TAVTask* task = node.NewConversion(*request, sem);
    ASSERT_TRUE(RunUntil([&] { return task->Converter().Progress() > 5; }));
    task->Stop();
    ASSERT_TRUE(RunUntil([&] { return task->Converter().State() == TAVConverter::cvIdle; }));
    EXPECT_EQ(task->Status(), TConversionSettings::stError);
    EXPECT_EQ(node.Tasks().size(), 1u);
    EXPECT_TRUE(store_.LoadTask(task->ID())->Converting);

    // A restart shows the stopped task from the store alone: what its run learnt of the source,
    // its playable partial output, its log (the unit tests show a log of lines), and no time left.
    ASSERT_TRUE(
        RunUntil([&] { return store_.LoadTask(task->ID())->ConvertSettings.contains("<Duration>"); }));
    {
        RecordingView other;
        TTaskTree restarted(store_, other);
        restarted.ConvertingNode().LoadTaskList(&other);
        ASSERT_EQ(other.rows.size(), 1u);
        const TAVTask* shown = other.rows[0];
        EXPECT_EQ(shown->GetCaption(5), "0:0:5");
        EXPECT_NE(shown->GetCaption(1), "0KB");
        EXPECT_NE(shown->GetCaption(3), "0KB");
        EXPECT_EQ(shown->GetCaption(8), "");
        EXPECT_EQ(shown->Log(), task->Log());
    }

    const auto id = task->ID();
    // The slow source stands where the stopped run left it; the file itself is read this time.
    task->Settings().SetSourceFiles({QString::fromStdString(test::Media("h264_aac.mp4").string())});
    task->Start(sem); // the resolved path is used again
    ASSERT_TRUE(RunUntil([&] { return node.Tasks().empty(); }));
    EXPECT_EQ(store_.LoadTask(id)->CategoryId, 1);
    EXPECT_TRUE(RunUntil([&] { return NamedSemaphoreValue(sem_name_) == 2; }));
}

namespace {

// The decoded frames of a file, one checksum line per frame and stream (time stamps included).
std::string FrameChecksums(const std::filesystem::path& file) {
    return test::RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-f", "framemd5", "-"})
        .out;
}

} // namespace

// Conversions of one process share nothing: two tasks converting at once write exactly what the
// same tasks write one after the other.
TEST_F(TaskRunTest, TwoTasksConvertingAtOnceWriteWhatTheyWriteOneAfterTheOther) {
    const std::string sources[] = {"hd720_h264_aac.mp4", "mpeg2_mp2.mpg"};
    auto request = [&](const std::string& source, const std::string& target) {
        auto s = CopyRequest(1);
        s->SetSourceFiles({QString::fromStdString(test::Media(source).string())});
        s->SetTargetFolder("");
        s->SetTargetFile(QString::fromStdString((dir_ / target).string()));
        TAVConvertOptions* o = s->ConvertOptions();
        o->VideoOptions()->SetVideoStreamCopy(false);
        o->AudioOptions()->SetAudioStreamCopy(false);
        o->VideoOptions()->SetEncoderVideoCodecName("mpeg4");
        o->AudioOptions()->SetEncoderAudioCodecName("aac");
        o->SetThreadCount(1);
        return s;
    };
    TConvertingNode& node = tree_.ConvertingNode();
    auto run = [&](int slot_count, const std::string& prefix) {
        pool_.reset();
        RemoveNamedSemaphore(sem_name_);
        TSemaphore* sem = Pool(slot_count);
        TAVTask* a = node.NewConversion(*request(sources[0], prefix + "_a.mkv"), sem);
        TAVTask* b = node.NewConversion(*request(sources[1], prefix + "_b.mkv"), sem);
        bool together = false;
        EXPECT_TRUE(RunUntil(
            [&] {
                const auto& left = node.Tasks();
                auto converting = [&](TAVTask* t) {
                    return std::any_of(left.begin(), left.end(),
                                       [&](const auto& x) { return x.get() == t; }) &&
                           t->Converter().State() == TAVConverter::cvRunning &&
                           t->Converter().ConvertedDuration() > 0;
                };
                together = together || (converting(a) && converting(b));
                return left.empty();
            },
            120s));
        return together;
    };
    EXPECT_FALSE(run(1, "one_by_one"));
    EXPECT_TRUE(run(2, "at_once")) << "the two conversions never ran at the same time";
    for (const char* part : {"_a.mkv", "_b.mkv"}) {
        const std::string alone = FrameChecksums(dir_ / ("one_by_one" + std::string(part)));
        EXPECT_NE(alone.find("0,"), std::string::npos) << alone; // frames of stream 0 were decoded
        EXPECT_EQ(FrameChecksums(dir_ / ("at_once" + std::string(part))), alone) << part;
    }
    EXPECT_TRUE(store_.LoadConvertingTask().empty());
}

// Powering off follows the last conversion to end, failed or finished, and only with the setting.
TEST_F(TaskRunTest, ShutdownIsRequestedOnceWhenTheLastOfSeveralTasksEndsAndOnlyWithTheSetting) {
    for (const bool setting : {true, false}) {
        RecordingSystemShutdown shutdown;
        tree_.SetShutdown(&shutdown);
        AVConfiguration().SetShutdownWhenDone(setting);
        pool_.reset();
        RemoveNamedSemaphore(sem_name_);
        TSemaphore* sem = Pool(2);
        TConvertingNode& node = tree_.ConvertingNode();
        for (int i = 0; i < 3; ++i) {
            auto request = CopyRequest(1);
            request->SetTargetFolder("");
            request->SetTargetFile(QString::fromStdString(
                (dir_ / ("s" + std::to_string(setting) + "_" + std::to_string(i) + ".mkv")).string()));
            if (i == 1) { // one of them fails once transcoding has begun
                request->ConvertOptions()->VideoOptions()->SetVideoStreamCopy(false);
                request->ConvertOptions()->VideoOptions()->SetEncoderVideoCodecName("mpeg4");
                request->ConvertOptions()->FilterOptions()->SetVideoFilters("nosuchfilter");
            }
            node.NewConversion(*request, sem);
        }
        bool early = false;
        ASSERT_TRUE(RunUntil([&] {
            const bool converting = std::any_of(node.Tasks().begin(), node.Tasks().end(), [](const auto& t) {
                return t->HasConverter() && t->Converter().IsBusy();
            });
            early = early || (converting && shutdown.Calls() > 0);
            return !converting;
        }));
        RunUntil([] { return false; }, 200ms); // nothing more comes
        EXPECT_FALSE(early) << "requested while a conversion was still running";
        EXPECT_EQ(shutdown.Calls(), setting ? 1 : 0) << "setting " << setting;
        EXPECT_EQ(node.Tasks().size(), 1u); // the failed one
        node.ClearTasks();
        tree_.SetShutdown(&shutdown_);
    }
}

// A DVD task reads its title through a stream of its own: the front end's may be gone, and a start
// after a stop reads the chapters from their beginning.
TEST_F(TaskRunTest, ADvdTaskStartedStoppedAndStartedAgainConvertsItsWholeRange) {
    const auto iso = test::Media("dvd/disc.iso");
    auto request = std::make_unique<TConversionSettings>();
    auto registration =
        std::make_unique<TStreamRegistration>(std::make_shared<TDvdStream>(iso.string(), 1, 1, 1, 2));
    request->SetSourceFiles({QString::fromStdString(registration->Url())});
    request->SetSourceType(TConversionSettings::stDvd);
    request->SetDvdDriver(QString::fromStdString(iso.string()));
    request->SetDvdTitle(1);
    request->SetDvdChapter(1);
    request->SetDvdThrough(2); // two 5 s chapters
    request->SetDvdAngle(1);
    request->SetDvdVolume("TESTDVD");
    request->SetTargetFile(QString::fromStdString((dir_ / "dvd.mkv").string()));
    request->SetCategoryId(1);
    // An encoder slow enough to be stopped mid-way.
    request->ConvertOptions()->VideoOptions()->SetEncoderVideoCodecName("libx264");
    request->ConvertOptions()->AudioOptions()->SetEncoderAudioCodecName("aac");
    request->ConvertOptions()->SetThreadCount(1);
    TConvertingNode& node = tree_.ConvertingNode();
    TAVTask* task = node.NewConversion(*request, nullptr);
    registration.reset(); // the front end forgets its stream

    ASSERT_TRUE(RunUntil([&] { return task->Converter().ConvertedDuration() > 1.0; }));
    task->Stop();
    ASSERT_TRUE(RunUntil([&] { return !task->Converter().IsBusy(); }));
    ASSERT_EQ(node.Tasks().size(), 1u) << "finished before it could be stopped";
    EXPECT_LT(test::ProbeDuration(dir_ / "dvd.mkv"), 9.0);

    task->Start(nullptr);
    ASSERT_TRUE(RunUntil([&] { return node.Tasks().empty(); }, 120s)) << task->LogText().toStdString();
    std::string errors;
    EXPECT_TRUE(test::DecodesCleanly(dir_ / "dvd.mkv", &errors)) << errors;
    EXPECT_NEAR(test::ProbeDuration(dir_ / "dvd.mkv"), 10.0, 0.6);
}

} // namespace vc
