#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"
#include "support/test_env.h"
#include "tasks/av_task.h"
#include "tasks/cell_text.h"
#include "tasks/history_rows.h"
#include "tasks/node_object.h"
#include "tasks/task_locks.h"
#include "tasks/task_tree.h"

#include <gtest/gtest.h>

#include <QFile>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vc {

namespace {

// Records what the task objects tell a view; the selection is set by the test.
struct RecordingView : TTaskView {
    TNodeObject* selected_node = nullptr;
    TAVTask* selected_task = nullptr;
    std::vector<TColumn> columns;
    std::vector<TAVTask*> rows;
    int cleared = 0;
    QStringList log;

    TNodeObject* SelectedNode() const override { return selected_node; }
    TAVTask* SelectedTask() const override { return selected_task; }
    void ListColumnsReplaced(const std::vector<TColumn>& c) override { columns = c; }
    void ListCleared() override {
        ++cleared;
        rows.clear();
    }
    void RowAdded(TAVTask* task) override { rows.push_back(task); }
    void RowRemoved(TAVTask* task) override { std::erase(rows, task); }
    void LogShown(const QStringList& lines) override { log = lines; }
};

std::unique_ptr<TConversionSettings> Request(const QString& source, const QString& target, int category = 1) {
    auto s = std::make_unique<TConversionSettings>();
    s->SetSourceFiles({source});
    s->SetTargetFile(target);
    s->SetProfile("MP4 Video");
    s->SetCategoryId(category);
    return s;
}

class TaskModelTest : public ::testing::Test {
protected:
    TaskModelTest()
        : store_(QString::fromStdString((dir_ / "app").string()), "/v/out"), tree_(store_, view_) {}

    // A finished history row, as the runner leaves it.
    std::int64_t Finished(const TConversionSettings& s, int category, const QDateTime& when) {
        const auto id = store_.NewDbTask(TPersistentManager::GetConvertSettings(s));
        store_.FinishDbTask(id, TPersistentManager::GetConvertSettings(s), category, "a\r\nb\r\n", when);
        return id;
    }
    QString File(const std::string& name, const std::string& bytes = "x") {
        std::ofstream(dir_ / name) << bytes;
        return QString::fromStdString((dir_ / name).string());
    }

    test::TempDir dir_;
    TPersistentManager store_;
    RecordingView view_;
    TTaskTree tree_;
};

} // namespace

TEST(CellText, FormatsAsTheListShowsThem) {
    const std::vector<std::pair<double, const char*>> durations{
        {3725.5, "1:2:6"}, {3724.5, "1:2:4"}, {0, "0:0:0"}, {362439, "100:40:39"}, {59.4, "0:0:59"}};
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(DurationText(seconds), text) << seconds;
    const std::vector<std::pair<double, const char*>> rates{{0, ".0"},
                                                            {0.5, ".5"},
                                                            {0.256, ".26"},
                                                            {12, "12.0"},
                                                            {1234.567, "1,234.57"},
                                                            {1234567.8, "1,234,567.8"},
                                                            {999.999, "1,000.0"}};
    for (const auto& [rate, text] : rates)
        EXPECT_EQ(BitrateText(rate), text) << rate;
    EXPECT_EQ(KilobytesText(2047), "1KB");
    EXPECT_EQ(KilobytesText(0), "0KB");

    TConversionSettings dvd;
    dvd.SetSourceType(TConversionSettings::stDvd);
    dvd.SetDvdVolume("MOVIE");
    dvd.SetDvdTitle(3);
    dvd.SetSourceFiles({"stream:4"});
    EXPECT_EQ(SourceNameText(dvd), "dvd[MOVIE:title3]");
    EXPECT_EQ(SourceNameText(*Request("/v/in/clip.mov", "")), "clip.mov");
}

TEST(ResolveOutputPath, FolderSourceNameAndExtension) {
    struct Case {
        const char* folder;
        const char* source;
        const char* target;
        const char* expected;
    };
    const Case cases[] = {
        {"/out", "/v/clip.mov", ".mp4", "/out/clip.mp4"},
        {" /out/ ", "/v/clip.mov", ".mp4", "/out/clip.mp4"},
        {"/out", "/v/noext", ".mkv", "/out/noext.mkv"},
        {"/out", "/v/a.b.c.avi", ".flv", "/out/a.b.c.flv"},
        {"", "/v/clip.mov", "/elsewhere/x.mp4", "/elsewhere/x.mp4"},
    };
    for (const Case& c : cases) {
        auto s = Request(c.source, c.target);
        s->SetTargetFolder(c.folder);
        EXPECT_EQ(TAVTask::ResolveOutputPath(*s), c.expected) << c.folder << " " << c.source;
    }
}

TEST_F(TaskModelTest, LogKeepsTheLast51TrimmedLines) {
    TConvertingTask task(&tree_, *Request("/v/a.mp4", "/o/a.mkv"), &view_);
    for (int i = 0; i < 60; ++i)
        task.AddLogLine(QString("  line %1\n").arg(i));
    const QStringList log = task.Log();
    ASSERT_EQ(log.size(), 51);
    EXPECT_EQ(log.first(), "line 9");
    EXPECT_EQ(log.last(), "line 59");
    EXPECT_TRUE(task.LogText().endsWith("line 59\r\n"));
}

TEST_F(TaskModelTest, HistoryCategoryListsNewestFirstAndIsRebuiltOnEverySelection) {
    const int films = store_.NewCategory("Films", "/v/films", 1);
    const QString kept = File("kept.mp4", std::string(3000, 'k'));
    auto s1 = Request("/v/one.mov", kept, films);
    s1->SetSourceFileSize(10 * 1024 + 5);
    s1->SetDuration(3725.5);
    const auto older = Finished(*s1, films, QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
    const auto newer = Finished(*Request("/v/two.mov", "/v/gone.mp4", films), films,
                                QDateTime(QDate(2026, 1, 2), QTime(9, 0)));

    tree_.LoadCategories();
    TConvertedNode* node = tree_.FindCategory(films);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Parent(), tree_.FindCategory(1));
    view_.selected_node = node;
    node->LoadTaskList(&view_);
    EXPECT_EQ(view_.columns, TConvertedNode::Columns());
    EXPECT_EQ(view_.columns.size(), 7u);
    ASSERT_EQ(view_.rows.size(), 2u);
    EXPECT_EQ(view_.rows[0]->ID(), newer);
    TAVTask* first = view_.rows[1];
    EXPECT_EQ(first->ID(), older);
    EXPECT_EQ(first->Status(), TConversionSettings::stFinished);
    EXPECT_EQ(first->GetImageIndex(), 3);
    EXPECT_EQ(first->Log(), (QStringList{"a", "b"}));
    const std::vector<QString> cells{"one.mov", "10KB", "kept.mp4", "2KB", "MP4 Video", "1:2:6"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(first->GetCaption(c), cells[c]) << c;
    EXPECT_EQ(first->GetCaption(6), DateText(QDateTime(QDate(2026, 1, 1), QTime(9, 0))));
    EXPECT_EQ(first->Date().timeSpec(), Qt::LocalTime);
    EXPECT_TRUE(first->GetCaption(7).isEmpty());
    EXPECT_TRUE(first->ConvertedIsValid());
    // The output of the newer one was deleted from disk.
    EXPECT_EQ(view_.rows[0]->GetCaption(3), "0KB");
    EXPECT_FALSE(view_.rows[0]->ConvertedIsValid());

    node->LoadTaskList(&view_);
    EXPECT_EQ(view_.cleared, 2);
    EXPECT_EQ(view_.rows.size(), 2u);
    EXPECT_EQ(node->Tasks().size(), 2u); // rebuilt, not added to
}

TEST_F(TaskModelTest, UnfinishedRowsComeBackOnceAsFailedAndADamagedOneStillLoads) {
    // A task the last run stopped: its source, its playable partial output and its log remain.
    auto stopped = Request(File("a.mov", std::string(4096, 's')), File("a.mp4", std::string(3072, 't')), 7);
    stopped->SetDuration(3725);
    const auto stopped_id = store_.NewDbTask(TPersistentManager::GetConvertSettings(*stopped));
    store_.SaveConvertingLog(stopped_id, "opened a.mov\r\nstopped at 0:0:2\r\n");
    store_.NewDbTask("<data PropFormat=\"node\"><TConversionSettings><DvdTitle>abc</DvdTitle>"
                     "</TConversionSettings></data>");
    store_.NewDbTask("");
    TConvertingNode& node = tree_.ConvertingNode();
    view_.selected_node = &node;
    node.LoadTaskList(&view_);
    EXPECT_EQ(view_.columns, TConvertingNode::Columns());
    ASSERT_EQ(view_.rows.size(), 3u);
    TAVTask* restored = view_.rows[0];
    EXPECT_EQ(restored->Status(), TConversionSettings::stError);
    EXPECT_EQ(restored->CategoryId(), 0); // not taken from the settings
    EXPECT_EQ(restored->Settings().TargetFile(), stopped->TargetFile());
    EXPECT_EQ(restored->Category(), &node);
    const QStringList cells = {"a.mov", "4KB", "a.mp4", "3KB", "MP4 Video", "1:2:5", "0%", ".0", "", "0:0:0"};
    for (int column = 0; column < static_cast<int>(cells.size()); ++column)
        EXPECT_EQ(restored->GetCaption(column), cells[column]) << column;
    EXPECT_EQ(restored->Log(), (QStringList{"opened a.mov", "stopped at 0:0:2"}));
    EXPECT_EQ(view_.rows[1]->Status(), TConversionSettings::stError);
    EXPECT_EQ(view_.rows[1]->Log().size(), 1); // the reader's message
    EXPECT_TRUE(view_.rows[2]->Settings().SourceFiles().isEmpty());

    node.LoadTaskList(&view_);
    EXPECT_EQ(view_.rows.size(), 3u);       // read once per run
    EXPECT_FALSE(restored->HasConverter()); // listing made no converter
}

TEST_F(TaskModelTest, DeleteRemovesTheRowAndOnlyTheFilesAskedFor) {
    const QString source = File("src.mov");
    const QString target = File("dst.mp4");
    store_.NewDbTask(TPersistentManager::GetConvertSettings(*Request(source, target)));
    store_.NewDbTask(TPersistentManager::GetConvertSettings(*Request(source, target)));
    TConvertingNode& node = tree_.ConvertingNode();
    view_.selected_node = &node;
    node.LoadTaskList(&view_);
    ASSERT_EQ(view_.rows.size(), 2u);
    const auto first_id = view_.rows[0]->ID();

    view_.rows[0]->Delete(false, false);
    EXPECT_FALSE(store_.LoadTask(first_id).has_value());
    EXPECT_EQ(view_.rows.size(), 1u);
    EXPECT_EQ(node.Tasks().size(), 1u);
    EXPECT_TRUE(QFile::exists(source));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(view_.rows[0]->CanOpenSource());

    // An unfinished task never wrote the file at its target: it stays.
    view_.rows[0]->Delete(true, true);
    EXPECT_TRUE(node.Tasks().empty());
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(store_.LoadConvertingTask().empty());

    // A finished task's output is its own.
    Finished(*Request(File("src2.mov"), target), 1, QDateTime::currentDateTime());
    tree_.LoadCategories();
    TConvertedNode* root = tree_.FindCategory(1);
    view_.selected_node = root;
    root->LoadTaskList(&view_);
    ASSERT_EQ(view_.rows.size(), 1u);
    view_.rows[0]->Delete(false, true);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(TaskModelTest, ClearLogEmptiesTheShownLogAndTheStoredOne) {
    const auto id = Finished(*Request("/v/a.mov", "/o/a.mp4"), 1, QDateTime::currentDateTime());
    tree_.LoadCategories();
    TConvertedNode* root = tree_.FindCategory(1);
    view_.selected_node = root;
    root->LoadTaskList(&view_);
    ASSERT_EQ(view_.rows.size(), 1u);
    TAVTask* task = view_.rows[0];
    view_.selected_task = task;
    task->LoadTaskInfo(&view_);
    EXPECT_EQ(view_.log, (QStringList{"a", "b"}));
    task->ClearLog();
    EXPECT_TRUE(view_.log.isEmpty());
    EXPECT_TRUE(store_.LoadTask(id)->Log.isEmpty());
}

TEST_F(TaskModelTest, DeletingACategorySubtreeRemovesItsHistoryButNotTheRoot) {
    const int parent = store_.NewCategory("P", "/v/p", 1);
    const int child = store_.NewCategory("C", "/v/c", parent);
    const int grandchild = store_.NewCategory("G", "/v/g", child);
    const int sibling = store_.NewCategory("S", "/v/s", 1);
    for (int category : {parent, child, grandchild, sibling, 1})
        Finished(*Request("/v/a.mov", "/o/a.mp4"), category, QDateTime::currentDateTime());
    tree_.LoadCategories();
    TConvertedNode* node = tree_.FindCategory(parent);
    ASSERT_NE(node, nullptr);
    ASSERT_NE(tree_.FindCategory(grandchild), nullptr);
    // Made through the tree: in the store and in the tree at once, and deleted with the subtree.
    TConvertedNode* added = tree_.AddCategory("Added", "/v/added", tree_.FindCategory(grandchild));
    EXPECT_EQ(store_.LoadCategory(added->CategoryId())->Parent, grandchild);
    tree_.UpdateCategory(added, "Renamed", "/v/renamed");
    EXPECT_EQ(store_.LoadCategory(added->CategoryId())->Category, "Renamed");
    const int added_id = added->CategoryId();
    tree_.DeleteCategory(node);
    EXPECT_EQ(tree_.FindCategory(child), nullptr);
    EXPECT_FALSE(store_.LoadCategory(added_id).has_value());
    for (int gone : {parent, child, grandchild})
        EXPECT_FALSE(store_.LoadCategory(gone).has_value()) << gone;
    EXPECT_TRUE(store_.LoadConvertedTask(grandchild).empty());
    EXPECT_EQ(store_.LoadConvertedTask(sibling).size(), 1u);
    EXPECT_EQ(store_.LoadConvertedTask(1).size(), 1u);
    EXPECT_THROW(tree_.FindCategory(1)->DeleteChildrens(), Error);
}

TEST_F(TaskModelTest, ARestoredDvdTaskWithoutItsDiscIsRefusedBeforeAnythingChanges) {
    auto dvd = Request("stream:1", "/o/movie.mpg");
    dvd->SetSourceType(TConversionSettings::stDvd);
    dvd->SetDvdDriver(QString::fromStdString((dir_ / "no-such-drive").string()));
    dvd->SetDvdVolume("MOVIE");
    store_.NewDbTask(TPersistentManager::GetConvertSettings(*dvd));
    TConvertingNode& node = tree_.ConvertingNode();
    node.LoadTaskList(&view_);
    ASSERT_EQ(node.Tasks().size(), 1u);
    TAVTask* task = node.Tasks()[0].get();
    task->AddLogLine("kept");
    try {
        task->Start(nullptr);
        FAIL() << "a stale stream: name was started";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("MOVIE"), std::string::npos) << e.what();
    }
    EXPECT_EQ(task->Status(), TConversionSettings::stError);
    EXPECT_EQ(task->Settings().SourceFiles(), QStringList{"stream:1"});
    EXPECT_EQ(task->Log(), QStringList{"kept"});
}

// Another running copy holds a task's lock file the way TaskLocks does (flock conflicts between
// separate opens even inside one process, so an open of our own stands in for the other copy).
TEST_F(TaskModelTest, ATaskConvertingElsewhereCannotBeStartedOrDeletedThroughTheTree) {
    const QString folder = QString::fromStdString((dir_ / "running").string());
    TaskLocks locks(folder);
    tree_.SetLocks(&locks);
    const QString source = File("src.mov");
    const auto id = store_.NewDbTask(TPersistentManager::GetConvertSettings(*Request(source, "/o/a.mp4")));
    TConvertingNode& node = tree_.ConvertingNode();
    node.LoadTaskList(&view_);
    ASSERT_EQ(node.Tasks().size(), 1u);
    TAVTask* task = node.Tasks()[0].get();

    const std::string lock_file = (dir_ / "running" / (std::to_string(id) + ".lock")).string();
    std::filesystem::create_directories(dir_ / "running");
    const int other = ::open(lock_file.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(locks.LockedElsewhere(id));

    EXPECT_THROW(task->Start(nullptr), TaskBusyElsewhere);
    EXPECT_FALSE(task->HasConverter());
    EXPECT_THROW(task->Delete(true, false), TaskBusyElsewhere);
    EXPECT_EQ(node.Tasks().size(), 1u);
    EXPECT_TRUE(store_.LoadTask(id).has_value());
    EXPECT_TRUE(QFile::exists(source));

    // Once the other copy lets go (it ended, or it was killed), the task is this copy's to delete.
    ::close(other);
    EXPECT_FALSE(locks.LockedElsewhere(id));
    task->Delete(false, false);
    EXPECT_TRUE(node.Tasks().empty());
    EXPECT_FALSE(store_.LoadTask(id).has_value());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(lock_file))); // gone with the task
}

} // namespace vc

namespace vc {

// A history listing reads only the shown fields of each stored request, a page at a time; every
// cell must read as the loaded task's own, for files, DVD titles, awkward text and damaged rows.
TEST_F(TaskModelTest, HistoryPagesShowWhatTheLoadedTasksShow) {
    const int films = store_.NewCategory("Films", "/films", 1);
    auto file = Request("/v/in/a & <b>.mp4", File("out.mp4", std::string(5000, 'x')), films);
    file->SetSourceFileSize(123456789);
    file->SetDuration(3725.5);
    auto dvd = Request("stream:7", "/gone/dvd.mkv", films);
    dvd->SetSourceType(TConversionSettings::stDvd);
    dvd->SetDvdVolume("MY_DISC");
    dvd->SetDvdTitle(3);
    auto bare = std::make_unique<TConversionSettings>();
    const QDateTime start = QDateTime::currentDateTime().addDays(-1);
    for (int i = 0; i < 5; ++i) {
        Finished(*file, films, start.addSecs(4 * i));
        Finished(*dvd, films, start.addSecs(4 * i + 1));
        Finished(*bare, films, start.addSecs(4 * i + 2));
    }
    const auto damaged = store_.NewDbTask("<data><TConversionSettings><SourceFiles");
    store_.FinishDbTask(damaged, "<data><TConversionSettings><SourceFiles", films, "", start.addSecs(100));

    tree_.LoadCategories();
    TConvertedNode* node = tree_.FindCategory(films);
    ASSERT_NE(node, nullptr);
    node->LoadTaskList(&view_);
    ASSERT_EQ(view_.rows.size(), 16U);
    std::vector<TStoredTask> paged;
    for (int offset = 0;; offset += 3) {
        const auto page = store_.LoadConvertedPage(films, offset, 3);
        paged.insert(paged.end(), page.begin(), page.end());
        if (page.size() < 3)
            break;
    }
    ASSERT_EQ(paged.size(), view_.rows.size());
    for (std::size_t i = 0; i < paged.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(paged[i].Log.isEmpty()); // a listing never reads the logs
        const THistoryRow row = ReadHistoryRow(paged[i]);
        EXPECT_EQ(row.ID, view_.rows[i]->ID());
        for (int column = 0; column < static_cast<int>(TConvertedNode::Columns().size()); ++column)
            EXPECT_EQ(HistoryCaption(row, column), view_.rows[i]->GetCaption(column)) << column;
    }
    // Newest first: the damaged row, then the bare, DVD and file requests of the last round.
    EXPECT_EQ(HistoryCaption(ReadHistoryRow(paged[3]), 0), "a & <b>.mp4");
    EXPECT_EQ(HistoryCaption(ReadHistoryRow(paged[2]), 0), "dvd[MY_DISC:title3]");
}

} // namespace vc
