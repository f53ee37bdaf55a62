// Damaged and unwritable files around the conversions: the settings, the user profiles, the task
// store and stored requests. Each row: the damage, what vconv says, what was kept (counted) and
// what was set aside. Nothing the user had is destroyed, and vconv goes on working.
#include "integration/cli/tasks_cli_fixture.h"
#include "support/file_text.h"

#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"

#include <QRegularExpression>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace vc::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Damage : public TaskCliTest {
protected:
    std::filesystem::path ConfigFile() const { return DataFolder() / "Config.Xml"; }
    std::filesystem::path ProfilesFile() const { return DataFolder() / "Profiles.ini"; }

    // vconv under a file-size limit of 0: every write of a file fails, as on a full disk.
    ProcessResult VconvOnFullDisk(const std::vector<std::string>& args) {
        std::string line = "trap '' XFSZ; ulimit -f 0; exec '" + VconvPath().string() + "'";
        for (const std::string& a : args)
            line += " '" + a + "'";
        return RunProcess("/bin/sh", {"-c", line});
    }
};

// --- Config.Xml ---------------------------------------------------------------------------------

TEST_F(Damage, SettingsKeepTheirFileOnAFullDiskAndLoseOnlyABadValue) {
    const std::string folder = (dir_ / "films").string();
    ASSERT_EQ(Vconv({"config", "set", "ShowAlert=false", "OutputFolder=" + folder,
                     "PerformanceOptions.ThreadCount=3"})
                  .exit_code,
              0);
    const std::string good = ReadAll(ConfigFile());
    ASSERT_TRUE(Has(good, "<ThreadCount>3</ThreadCount>")) << good;

    // A write that fails leaves the file as it was and says so; a command that fails on its store
    // on the same full disk does not touch the settings at all.
    ProcessResult r = VconvOnFullDisk({"config", "set", "ShowAlert=true"});
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Has(r.err, "Config.Xml")) << r.err;
    EXPECT_EQ(ReadAll(ConfigFile()), good);
    std::filesystem::remove(StorePath());
    r = VconvOnFullDisk(
        {"convert", Media("h264_aac.mp4").string(), "-o", (dir_ / "x.mkv").string(), "--copy"});
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Has(r.err, "Can not open Database")) << r.err;
    EXPECT_EQ(ReadAll(ConfigFile()), good);
    for (const auto& e : std::filesystem::directory_iterator(DataFolder()))
        EXPECT_FALSE(Has(e.path().filename().string(), "Config.Xml.")) << "left behind: " << e.path();

    // One bad value costs that value: the rest is kept, nothing is set aside.
    const struct {
        std::string from, to, words, kept;
    } bad_values[] = {
        {"<ThreadCount>3</ThreadCount>", "<ThreadCount>x</ThreadCount>", "ThreadCount: 'x' is not a number",
         "ShowAlert=false"},
        {"<ShowAlert>0</ShowAlert>", "<ShowAlert>0</ShowAlert><FirstRun>maybe</FirstRun>",
         "FirstRun: 'maybe' is not 1 or 0", "PerformanceOptions.ThreadCount=3"},
    };
    for (const auto& row : bad_values) {
        std::string text = good;
        ASSERT_TRUE(Has(text, row.from)) << text;
        text.replace(text.find(row.from), row.from.size(), row.to);
        WriteAll(ConfigFile(), text);
        r = Vconv({"config"});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(Has(r.err, row.words)) << r.err;
        EXPECT_TRUE(Has(r.out, row.kept)) << r.out;
        EXPECT_TRUE(Has(r.out, "OutputFolder=" + folder)) << r.out;
        EXPECT_FALSE(std::filesystem::exists(ConfigFile().string() + ".bad"));
    }

    // A cut file cannot be read per value: it is set aside whole, with the defaults in its place.
    WriteAll(ConfigFile(), good.substr(0, good.size() / 2));
    r = Vconv({"config"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Config.Xml.bad")) << r.err;
    EXPECT_EQ(ReadAll(ConfigFile().string() + ".bad"), good.substr(0, good.size() / 2));
    EXPECT_TRUE(Has(r.out, "ShowAlert=true")) << r.out;
}

// --- Profiles.ini -------------------------------------------------------------------------------

// The profiles a cut file holds whole: those whose last key's line is complete.
int WholeProfiles(const std::string& cut) {
    int whole = 0;
    for (int i = 0;; ++i) {
        const std::string n = std::to_string(i);
        if (!Has(cut, "\nDescription" + n + "="))
            return whole;
        const std::string last =
            (Has(cut, "\nIsVideo" + n + "=1") ? "\nVideoBitrate" : "\nOptions") + n + "=";
        const size_t at = cut.find(last);
        if (at == std::string::npos || cut.find('\n', at + 1) == std::string::npos)
            return whole;
        ++whole;
    }
}

TEST_F(Damage, ACutProfileFileKeepsEveryWholeProfile) {
    ASSERT_EQ(Vconv({"profiles", "save"}).exit_code, 0);
    const std::string saved = ReadAll(ProfilesFile());
    const size_t count_line = saved.find("ProfileCount=");
    ASSERT_NE(count_line, std::string::npos);
    ASSERT_EQ(saved.find('\n', count_line), saved.size() - 1) << "ProfileCount is not the last line";
    const ProcessResult all = Vconv({"profiles"});
    ASSERT_EQ(all.exit_code, 0) << all.err;

    // Just before the count, in the middle of a value, and early on.
    for (const size_t at : {count_line, saved.size() * 2 / 3 + 7, size_t{15000}, size_t{700}}) {
        const std::string cut = saved.substr(0, std::min(at, saved.size()));
        WriteAll(ProfilesFile(), cut);
        const int whole = WholeProfiles(cut);
        ASSERT_GT(whole, 0);
        const ProcessResult r = Vconv({"profiles", "--category", "MP4", "--details"});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(Has(r.err, std::to_string(whole) + " whole profile")) << "cut at " << at << ": " << r.err;
        EXPECT_EQ(ReadAll(ProfilesFile()), cut) << "the file was changed";
        EXPECT_FALSE(std::filesystem::exists(ProfilesFile().string() + ".bad"));
    }
}

// --- av.cfg -------------------------------------------------------------------------------------

constexpr int kCategories = 3;
constexpr int kFinished = 120;
constexpr int kUnfinished = 5;

class StoreDamage : public Damage {
protected:
    // A store of some size: categories, finished tasks with logs, unfinished tasks. Closed (its
    // log checkpointed into the file) and backed up on the way.
    void MakeStore() {
        TPersistentManager store(QString::fromStdString(DataFolder().string()),
                                 QString::fromStdString(dir_.path().string()));
        TConversionSettings settings;
        settings.SetTargetFolder(QString::fromStdString((dir_ / "out").string()));
        settings.SetTargetFile(".mp4");
        for (int c = 0; c < kCategories; ++c)
            store.NewCategory(QString("category %1").arg(c), "/films", 1);
        for (int i = 0; i < kFinished + kUnfinished; ++i) {
            settings.SetSourceFiles({QString("/films/clip%1.mp4").arg(i)});
            const auto id = store.NewDbTask(TPersistentManager::GetConvertSettings(settings));
            if (i < kFinished)
                store.FinishDbTask(
                    id, TPersistentManager::GetConvertSettings(settings), 2 + i % kCategories,
                    QString("line %1 of a log that goes on for a while\r\n").arg(i).repeated(6));
        }
    }
    std::int64_t Rows(const std::string& table) {
        SqliteDb db(StorePath());
        return Count(db, "SELECT * FROM " + table);
    }
};

enum class Source { kBackup, kDamagedFile, kEither, kNothing };

struct StoreCase {
    std::string name;
    std::function<void(const std::filesystem::path&)> damage;
    bool with_backup;
    Source source;
};

void PrintTo(const StoreCase& c, std::ostream* os) {
    *os << c.name;
}

void Truncate(const std::filesystem::path& file, std::uintmax_t size) {
    std::filesystem::resize_file(file, size);
}

void OverwritePages(const std::filesystem::path& file, int pages, unsigned seed) {
    const auto size = std::filesystem::file_size(file);
    const auto count = static_cast<unsigned>(size / 4096);
    std::mt19937 random(seed);
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    for (int p = 0; p < pages; ++p) {
        const unsigned page = 1 + random() % (count - 1); // not the first: the header stays
        f.seekp(static_cast<std::streamoff>(page) * 4096);
        for (int i = 0; i < 4096; ++i)
            f.put(static_cast<char>(random()));
    }
}

void RandomBytes(const std::filesystem::path& file) {
    const auto size = std::filesystem::file_size(file);
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    WriteAll(file, bytes);
}

class StoreDamageTable : public StoreDamage, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreDamageTable, IsSetAsideAndWhatCanBeReadIsKept) {
    const StoreCase& c = GetParam();
    MakeStore();
    const auto backup = DataFolder() / "av.cfg.backup";
    ASSERT_TRUE(std::filesystem::exists(backup)) << "no backup was made";
    // The backup of a new store holds what was there at its first open: brought up to date here.
    std::filesystem::remove(backup);
    { TPersistentManager again(QString::fromStdString(DataFolder().string()), QString()); }
    ASSERT_TRUE(std::filesystem::exists(backup));
    if (!c.with_backup)
        std::filesystem::remove(backup);
    const std::int64_t total = Rows("Conversions");
    ASSERT_EQ(total, kFinished + kUnfinished);
    ASSERT_GT(std::filesystem::file_size(StorePath()), 32768u);

    c.damage(StorePath());
    const std::string damaged = ReadAll(StorePath());

    // Every command works again, convert included; the first one says what happened.
    const ProcessResult r = Vconv({"tasks"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "is damaged")) << r.err;
    const std::string aside = StorePath() + ".bad";
    EXPECT_TRUE(Has(r.err, "\"" + aside + "\"")) << r.err;
    EXPECT_EQ(ReadAll(aside), damaged) << "the damaged file was changed";

    // The words count what the new store holds.
    static const QRegularExpression kept("Kept: (\\d+) tasks? \\((\\d+) unfinished");
    const auto m = kept.match(QString::fromStdString(r.err));
    ASSERT_TRUE(m.hasMatch()) << r.err;
    const std::int64_t tasks = Rows("Conversions");
    EXPECT_EQ(m.captured(1).toLongLong(), tasks);
    EXPECT_EQ(m.captured(2).toLongLong(), Rows("Conversions WHERE Converting=1"));
    EXPECT_LE(tasks, total);
    if (c.source != Source::kEither) {
        EXPECT_EQ(Has(r.err, "from the backup"), c.source == Source::kBackup) << r.err;
    }
    switch (c.source) {
    case Source::kBackup: EXPECT_EQ(tasks, total); break;
    case Source::kNothing:
        EXPECT_EQ(tasks, 0);
        EXPECT_TRUE(Has(r.err, "no backup")) << r.err;
        break;
    case Source::kDamagedFile: EXPECT_GT(tasks, 0); break;
    case Source::kEither: break;
    }
    // The root category is back and every kept finished task is filed where it can be seen.
    EXPECT_EQ(Rows("Categories WHERE ID=1"), 1);
    EXPECT_EQ(Rows("Conversions WHERE Converting=0 AND CategoryId NOT IN (SELECT ID FROM Categories)"), 0);

    const ProcessResult again = Vconv({"tasks"});
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_FALSE(Has(again.err, "damaged")) << again.err;
    const ProcessResult convert = Vconv(
        {"convert", Media("h264_aac.mp4").string(), "-o", (dir_ / "after.mkv").string(), "--copy", "-q"});
    EXPECT_EQ(convert.exit_code, 0) << convert.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoreDamageTable,
    ::testing::Values(
        StoreCase{"Empty_WithBackup", [](const auto& f) { Truncate(f, 0); }, true, Source::kBackup},
        StoreCase{"Empty_NoBackup", [](const auto& f) { Truncate(f, 0); }, false, Source::kNothing},
        StoreCase{"Cut100_WithBackup", [](const auto& f) { Truncate(f, 100); }, true, Source::kBackup},
        StoreCase{"Cut4096_WithBackup", [](const auto& f) { Truncate(f, 4096); }, true, Source::kBackup},
        StoreCase{"Cut4096_NoBackup", [](const auto& f) { Truncate(f, 4096); }, false, Source::kNothing},
        StoreCase{"Cut20000_WithBackup", [](const auto& f) { Truncate(f, 20000); }, true, Source::kEither},
        StoreCase{"Cut32768_NoBackup", [](const auto& f) { Truncate(f, 32768); }, false, Source::kEither},
        StoreCase{"TwoRandomPages_NoBackup", [](const auto& f) { OverwritePages(f, 2, 11); }, false,
                  Source::kDamagedFile},
        StoreCase{"RandomBytes_WithBackup", [](const auto& f) { RandomBytes(f); }, true, Source::kBackup}),
    [](const ::testing::TestParamInfo<StoreCase>& info) { return info.param.name; });

// --- Stored requests ----------------------------------------------------------------------------

TEST_F(StoreDamage, ARequestThatDoesNotReadWholeIsRefusedAndKeptAsItIs) {
    MakeStore();
    TConversionSettings settings;
    settings.SetSourceFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
    settings.SetTargetFile(QString::fromStdString((dir_ / "req.mp4").string()));
    settings.ConvertOptions()->AudioOptions()->SetAudioVolume(200);
    settings.ConvertOptions()->FilterOptions()->SetVideoFilters("hflip");
    QString xml = TPersistentManager::GetConvertSettings(settings);
    xml.replace("<AudioVolume>200<", "<AudioVolume>loud<");
    ASSERT_TRUE(xml.contains("loud"));
    const struct {
        QString request;
        std::string words;
    } rows[] = {
        {xml, "AudioVolume: 'loud' is not a number"},
        {QStringLiteral("\x01garbage<<<"), "Not an XML document"},
    };
    for (const auto& row : rows) {
        std::int64_t id = 0;
        {
            TPersistentManager store(QString::fromStdString(DataFolder().string()), QString());
            id = store.NewDbTask(row.request);
        }
        const ProcessResult r = Vconv({"start", std::to_string(id)});
        EXPECT_EQ(r.exit_code, 1) << r.err;
        EXPECT_TRUE(Has(r.err, row.words)) << r.err;
        EXPECT_TRUE(Has(r.err, "Task " + std::to_string(id))) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir_ / "req.mp4"));
        TPersistentManager store(QString::fromStdString(DataFolder().string()), QString());
        const auto stored = store.LoadTask(id);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->ConvertSettings, row.request) << "the stored request was rewritten";
        EXPECT_TRUE(stored->Converting);
    }
}

} // namespace
} // namespace vc::test
