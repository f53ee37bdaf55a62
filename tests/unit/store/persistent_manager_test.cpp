#include "store/persistent_manager.h"

#include "model/persistence/omni_xml_persistent.h"
#include "model/settings/conversion_settings.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QTimeZone>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace vc {

namespace {

class StoreTest : public ::testing::Test {
protected:
    QString Folder() const { return QString::fromStdString((dir_.path() / "data" / "app").string()); }
    std::unique_ptr<TPersistentManager> Open() {
        return std::make_unique<TPersistentManager>(Folder(), QStringLiteral("/home/u/Conversion"));
    }
    // A second, raw connection to look at what is really stored.
    std::unique_ptr<SqliteDb> Raw() {
        return std::make_unique<SqliteDb>(TPersistentManager::DatabasePath(Folder()).toStdString());
    }
    std::string Scalar(const std::string& sql) {
        auto raw = Raw();
        auto& q = raw->Prepare(sql);
        return q.Step() ? q.Text("v").toStdString() : "<no row>";
    }

    test::TempDir dir_;
};

} // namespace

TEST_F(StoreTest, CreatesTheFileTablesAndRootOnceAndUsesWal) {
    {
        auto store = Open();
        EXPECT_TRUE(store->Path().endsWith("/data/app/av.cfg"));
    }
    auto store = Open(); // a second start must not add a second root
    const auto top = store->LoadConvertedNodes(TPersistentManager::kTopLevelParent);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].ID, 1);
    EXPECT_EQ(top[0].Category, QStringLiteral("默认分类"));
    EXPECT_EQ(top[0].Path, QStringLiteral("/home/u/Conversion"));
    EXPECT_EQ(Scalar("select journal_mode as v from pragma_journal_mode"), "wal");
    EXPECT_TRUE(store->LoadConvertingTask().empty());
}

TEST_F(StoreTest, TaskLifecycleFromInsertToHistory) {
    auto store = Open();
    const int films = store->NewCategory("Films", "/v/films", 1);
    const auto a = store->NewDbTask("<a/>");
    const auto b = store->NewDbTask("<b/>");
    EXPECT_GT(b, a);
    auto converting = store->LoadConvertingTask();
    ASSERT_EQ(converting.size(), 2u);
    EXPECT_EQ(converting[0].ID, a);
    EXPECT_TRUE(converting[0].Converting);
    EXPECT_EQ(converting[0].ConvertSettings, "<a/>");
    EXPECT_FALSE(converting[0].ConvertedDate.isValid());

    // a finishes later in time but with a "smaller" local clock text: order must follow time.
    const QDateTime early(QDate(2026, 3, 29), QTime(8, 0), QTimeZone::utc());
    const QDateTime later(QDate(2026, 3, 29), QTime(10, 30), QTimeZone(5 * 3600)); // 05:30 UTC
    EXPECT_EQ(store->FinishDbTask(b, "<b2/>", films, "line 1\r\nline 2\r\n", later), films);
    EXPECT_EQ(store->FinishDbTask(a, "<a2/>", films, "", early), films);
    EXPECT_TRUE(store->LoadConvertingTask().empty());
    const auto history = store->LoadConvertedTask(films);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].ID, a); // 08:00 UTC is newer than 05:30 UTC
    EXPECT_EQ(history[1].ID, b);
    EXPECT_EQ(history[1].ConvertedDate, later);
    EXPECT_EQ(history[1].Log, "line 1\r\nline 2\r\n");
    EXPECT_EQ(history[1].ConvertSettings, "<b2/>");
    EXPECT_EQ(history[1].CategoryId, films);

    store->ClearLog(b);
    EXPECT_EQ(Scalar("select Log is null as v from Conversions where ID=" + std::to_string(b)), "1");
    store->DeleteTask(a);
    EXPECT_FALSE(store->LoadTask(a).has_value());
    EXPECT_EQ(store->LoadConvertedTask(films).size(), 1u);
}

TEST_F(StoreTest, TaskOfADeletedCategoryIsFiledUnderTheRoot) {
    auto store = Open();
    const int gone = store->NewCategory("Gone", "/v/gone", 1);
    const auto task = store->NewDbTask("<x/>");
    store->DeleteCategory(gone);
    EXPECT_EQ(store->FinishDbTask(task, "<x/>", gone, ""), 1);
    EXPECT_EQ(store->LoadConvertedTask(1).size(), 1u);
    // A restored task has category 0, which never exists.
    const auto restored = store->NewDbTask("<y/>");
    EXPECT_EQ(store->FinishDbTask(restored, "<y/>", 0, ""), 1);
    // Ids of deleted categories are not handed out again, so a running task can't land in a stranger's.
    EXPECT_GT(store->NewCategory("New", "/v/new", 1), gone);
}

TEST_F(StoreTest, DeletingACategoryRemovesItsRowsButNoFilesAndNeverTheRoot) {
    auto store = Open();
    const int parent = store->NewCategory("Parent", "/v/p", 1);
    const int child = store->NewCategory("Child", "/v/c", parent);
    const int same = store->NewCategory("Child", "/v/c", parent); // same name and path is allowed
    EXPECT_NE(same, child);
    const auto output = dir_ / "out.mp4";
    std::ofstream(output) << "x";
    for (int category : {parent, child, same}) {
        const auto id = store->NewDbTask("<t/>");
        store->FinishDbTask(id, "<t/>", category, "");
    }
    const auto running = store->NewDbTask("<running/>");

    store->DeleteCategory(child);
    store->DeleteCategory(parent);
    EXPECT_TRUE(store->LoadConvertedTask(parent).empty());
    EXPECT_TRUE(store->LoadConvertedTask(child).empty());
    EXPECT_EQ(store->LoadConvertedTask(same).size(), 1u);
    ASSERT_EQ(store->LoadConvertedNodes(parent).size(), 1u);
    EXPECT_EQ(store->LoadConvertingTask().size(), 1u);
    EXPECT_EQ(store->LoadConvertingTask()[0].ID, running);
    EXPECT_TRUE(std::filesystem::exists(output));

    EXPECT_THROW(store->DeleteCategory(1), Error);
    EXPECT_TRUE(store->LoadCategory(1).has_value());
    store->UpdateCategory(same, "Renamed", "/v/r");
    EXPECT_EQ(store->LoadCategory(same)->Category, "Renamed");
    EXPECT_EQ(store->LoadCategory(same)->Path, "/v/r");
}

TEST_F(StoreTest, RowsWithNullColumnsAndDamagedDatesLoadAsEmptyValues) {
    Open();
    Raw()->Exec("insert into Conversions (ID, Converting, ConvertSettings, ConvertedDate, CategoryId, Log) "
                "values (50, 1, NULL, NULL, NULL, NULL);"
                "insert into Conversions (ID, Converting, ConvertedDate, CategoryId) "
                "values (51, 0, 'not a date', 1), (52, 0, '2025-01-02 03:04:05', 1)");
    auto store = Open();
    const auto converting = store->LoadConvertingTask();
    ASSERT_EQ(converting.size(), 1u);
    EXPECT_TRUE(converting[0].ConvertSettings.isEmpty());
    EXPECT_EQ(converting[0].CategoryId, 0);
    const auto history = store->LoadConvertedTask(1);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].ID, 51); // text sorts above digits; it still loads
    EXPECT_FALSE(history[0].ConvertedDate.isValid());
    EXPECT_EQ(history[1].ConvertedDate, QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)));
}

TEST_F(StoreTest, AFileThatIsNotADatabaseIsSetAsideAndOneThatCannotBeOpenedIsLeftAlone) {
    std::filesystem::create_directories(Folder().toStdString());
    const auto path = TPersistentManager::DatabasePath(Folder()).toStdString();
    const std::string garbage(4096, 'g');
    std::ofstream(path) << garbage;
    {
        auto store = Open();
        EXPECT_NE(store->RecoveryWords().find(path + ".bad"), std::string::npos) << store->RecoveryWords();
        EXPECT_TRUE(store->LoadConvertingTask().empty());
        EXPECT_EQ(store->LoadCategory(TPersistentManager::kRootCategoryId)->Parent, -1);
    }
    std::ifstream in(path + ".bad");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);

    // A store that cannot be opened at all (here a folder in its place) is no damage: nothing moves.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    try {
        Open();
        FAIL() << "opened a folder";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Can not open Database " + path + ": ", 0), 0u) << e.what();
    }
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".bad.2"));
}

TEST_F(StoreTest, HistoryReadsUseTheIndexWithoutSorting) {
    Open();
    auto raw = Raw();
    auto& plan =
        raw->Prepare("explain query plan select * from Conversions where Converting=0 and CategoryId=? "
                     "order by ConvertedDate desc, ID desc");
    std::string details;
    while (plan.Step())
        details += plan.Text("detail").toStdString() + "\n";
    EXPECT_NE(details.find("ConversionsByCategory"), std::string::npos) << details;
    EXPECT_EQ(details.find("TEMP B-TREE"), std::string::npos) << details;
}

TEST_F(StoreTest, StoredRequestsRoundTripAndAreReadWholeOrNotAtAll) {
    TConversionSettings settings;
    settings.SetSourceFiles({"/v/a.mp4", "/v/b.mp4"});
    settings.SetTargetFolder("/out");
    settings.SetCategoryId(7);
    settings.SetDuration(12.5);
    settings.ConvertOptions()->AudioOptions()->SetAudioVolume(300);
    settings.ConvertOptions()->FilterOptions()->SetVideoFilters("hflip");
    const QString xml = TPersistentManager::GetConvertSettings(settings);
    TConversionSettings back;
    TPersistentManager::ReadConvertSettings(back, xml);
    EXPECT_EQ(back.SourceFiles(), settings.SourceFiles());
    EXPECT_EQ(back.TargetFolder(), "/out");
    EXPECT_EQ(back.CategoryId(), 7);
    EXPECT_DOUBLE_EQ(back.Duration(), 12.5);

    // A bad value anywhere refuses the whole request, naming the field and its value; what was
    // read before it does not leak into the settings.
    QString bad_volume = xml;
    bad_volume.replace("<AudioVolume>300<", "<AudioVolume>loud<");
    ASSERT_NE(bad_volume, xml);
    const struct {
        QString text;
        std::string words;
    } bad[] = {
        {bad_volume, "AudioVolume: 'loud' is not a number"},
        {QString(), "empty"},
        {QStringLiteral("   "), "empty"},
        {QStringLiteral("not xml <<"), "Not an XML document"},
        {QStringLiteral("<a><b>1</b></a>"), "holds no TConversionSettings"},
    };
    for (const auto& row : bad) {
        TConversionSettings kept;
        kept.SetSourceFiles({"/kept.mp4"});
        try {
            TPersistentManager::ReadConvertSettings(kept, row.text);
            ADD_FAILURE() << "read: " << row.text.toStdString();
        } catch (const EOmniXMLPersistent& e) {
            EXPECT_NE(std::string(e.what()).find(row.words), std::string::npos) << e.what();
        }
        EXPECT_EQ(kept.SourceFiles(), QStringList{"/kept.mp4"}) << row.text.toStdString();
        EXPECT_TRUE(kept.TargetFolder().isEmpty());
    }
}

TEST_F(StoreTest, TwoProcessesWriteTheSameFileWithoutLockFailures) {
    Open();
    constexpr int kProcesses = 3;
    constexpr int kTasksEach = 80;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = fork();
        ASSERT_NE(pid, -1);
        if (pid == 0) {
            try {
                auto store = Open();
                for (int i = 0; i < kTasksEach; ++i) {
                    const auto id = store->NewDbTask(QString("<p%1/>").arg(p));
                    store->FinishDbTask(id, "<done/>", 1, "log\r\n");
                    if (i % 10 == 0)
                        store->LoadConvertedTask(1);
                }
                _exit(0);
            } catch (const std::exception& e) {
                fprintf(stderr, "child %d: %s\n", p, e.what());
                _exit(1);
            }
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Open()->LoadConvertedTask(1).size(), static_cast<size_t>(kProcesses * kTasksEach));
    EXPECT_EQ(Scalar("select value as v from (select count(*) as value from pragma_integrity_check where "
                     "integrity_check='ok')"),
              "1");
}

} // namespace vc
