// vconv convert --dvd: a DVD title as a task, named after the volume and the title, and a stored
// DVD task started again from its DVD fields.
#include "tasks_cli_fixture.h"

#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"

#include <filesystem>

namespace vc::test {
namespace {

TEST_F(TaskCliTest, ADvdTitleConvertsIntoAFileNamedAfterTheVolumeAndTitle) {
    const auto iso = Media("dvd/disc.iso");
    const auto out = dir_ / "out";
    std::filesystem::create_directories(out);
    ProcessResult r = Vconv({"convert", "--dvd", iso.string(), "--title", "1", "--chapters", "1-2", "-o",
                             out.string(), "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto file = out / "TESTDVD_1.mp4";
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(file, &errors)) << errors;
    EXPECT_NEAR(ProbeDuration(file), 10.0, 0.6); // two 5 s chapters of the 25 s title
    r = Vconv({"history"});
    EXPECT_NE(r.out.find("dvd[TESTDVD:title1]"), std::string::npos) << r.out;

    auto db = OpenStore();
    auto& row = db->Prepare("SELECT ConvertSettings FROM Conversions WHERE ID = 1");
    row.Reset();
    ASSERT_TRUE(row.Step());
    TConversionSettings stored;
    TPersistentManager::ReadConvertSettings(stored, row.Text("ConvertSettings"));
    EXPECT_EQ(stored.SourceType(), TConversionSettings::stDvd);
    EXPECT_EQ(stored.DvdDriver().toStdString(), iso.string());
    EXPECT_EQ(stored.DvdTitle(), 1);
    EXPECT_EQ(stored.DvdChapter(), 1);
    EXPECT_EQ(stored.DvdThrough(), 2);
    EXPECT_EQ(stored.DvdVolume(), "TESTDVD");

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"convert", "--dvd", iso.string(), "-o", out.string()}, // no title
             {"convert", "--dvd", iso.string(), "--title", "9", "-o",
              (out / "x.mp4").string()}, // no such title
             {"convert", "--dvd", iso.string(), "--title", "1", "--chapters", "2-9", "-o",
              (out / "x.mp4").string()},
             {"convert", "--dvd", iso.string(), "--title", "1", "-o", out.string()}, // folder, no profile
             {"convert", Media("audio.mp3").string(), "--title", "1", "-o", (out / "x.mp4").string()}})
        EXPECT_EQ(Vconv(args).exit_code, 2) << args[3];
}

// A DVD task left unfinished by an earlier run: its "stream:" number is stale, so the title is
// read again from the stored drive and choice; without the disc the start is refused.
TEST_F(TaskCliTest, AStoredDvdTaskStartsAgainFromItsDiscOrIsRefused) {
    const auto iso = dir_ / "disc.iso";
    std::filesystem::copy_file(Media("dvd/disc.iso"), iso);
    TConversionSettings s;
    s.SetSourceFiles({"stream:7"});
    s.SetSourceType(TConversionSettings::stDvd);
    s.SetDvdDriver(QString::fromStdString(iso.string()));
    s.SetDvdTitle(2);
    s.SetDvdChapter(1);
    s.SetDvdThrough(1);
    s.SetDvdAngle(1);
    s.SetDvdVolume("TESTDVD");
    s.SetTargetFile(QString::fromStdString((dir_ / "t2.mkv").string()));
    s.SetCategoryId(1);
    {
        auto db = OpenStore();
        db->Prepare("INSERT INTO Conversions (Converting, ConvertSettings) VALUES (1, ?)")
            .Reset()
            .Bind(1, TPersistentManager::GetConvertSettings(s))
            .Run();
    }
    const auto moved = dir_ / "elsewhere.iso";
    std::filesystem::rename(iso, moved);
    ProcessResult r = Vconv({"start", "1"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("insert the disc"), std::string::npos) << r.err;

    std::filesystem::rename(moved, iso);
    r = Vconv({"start", "1"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NEAR(ProbeDuration(dir_ / "t2.mkv"), 8.0, 0.6);
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 0"), 1);
}

} // namespace
} // namespace vc::test
