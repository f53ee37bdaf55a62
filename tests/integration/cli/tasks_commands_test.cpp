// The task commands end to end: convert into the history, categories, delete, log, and stored
// rows that are damaged.
#include "tasks_cli_fixture.h"

#include <QString>
#include <filesystem>

namespace vc::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(TaskCliTest, ConvertGoesThroughTheTaskListIntoTheChosenCategory) {
    const ProcessResult add = Vconv({"categories", "add", "Films", (dir_ / "films").string()});
    ASSERT_EQ(add.exit_code, 0) << add.err;
    const std::string films = add.out.substr(0, add.out.find('\n'));

    const auto out = dir_ / "a.mkv";
    ProcessResult r =
        Vconv({"convert", Media("h264_aac.mp4").string(), "-o", out.string(), "--copy", "--category", films});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Done: " + out.string())) << r.err;
    EXPECT_TRUE(DecodesCleanly(out));

    r = Vconv({"history", "--category", films});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "h264_aac.mp4") && Has(r.out, "a.mkv")) << r.out;
    EXPECT_FALSE(Has(Vconv({"history"}).out, "a.mkv"));                // not in the root
    EXPECT_TRUE(std::filesystem::exists(DataFolder() / "Config.Xml")); // saved when convert ended

    // --no-history converts without a row; an unknown category is refused before any work.
    EXPECT_EQ(Vconv({"convert", Media("audio.mp3").string(), "-o", (dir_ / "b.mkv").string(), "--copy",
                     "--no-history"})
                  .exit_code,
              0);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "b.mkv"));
    r = Vconv({"convert", Media("audio.mp3").string(), "-o", (dir_ / "c.mkv").string(), "--copy",
               "--category", "77"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_TRUE(Has(r.err, "no category 77")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "c.mkv"));

    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions"), 1);
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 0 AND CategoryId = " + films), 1);
}

TEST_F(TaskCliTest, AFailedConvertStaysInTheTaskListAndCanBeDeleted) {
    const auto out = dir_ / "g.mkv";
    ProcessResult r = Vconv({"convert", Media("garbage.mp4").string(), "-o", out.string(), "--copy"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(Has(r.err, "Could not open file:")) << r.err;

    r = Vconv({"tasks"});
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_TRUE(Has(r.out, "failed") && Has(r.out, "garbage.mp4")) << r.out;
    r = Vconv({"log", "1"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(Has(r.out, "Could not open file:")) << r.out;
    EXPECT_EQ(Vconv({"clear-log", "1"}).exit_code, 0);
    EXPECT_EQ(Vconv({"log", "1"}).out, "");

    for (const auto& [args, code] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"start", "9"}, 2}, {{"delete", "x"}, 2}, {{"log"}, 2}, {{"delete", "9"}, 2}})
        EXPECT_EQ(Vconv(args).exit_code, code) << args[0];
    EXPECT_EQ(Vconv({"delete", "1"}).exit_code, 0);
    EXPECT_FALSE(Has(Vconv({"tasks"}).out, "garbage.mp4"));
    EXPECT_TRUE(std::filesystem::exists(Media("garbage.mp4"))); // the source was not asked for
}

TEST_F(TaskCliTest, DeleteTargetRemovesTheOutputOfAFinishedTask) {
    const auto out = dir_ / "a.mkv";
    ASSERT_EQ(Vconv({"convert", Media("audio.mp3").string(), "-o", out.string(), "--copy", "-q"}).exit_code,
              0);
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(Vconv({"start", "1"}).exit_code, 2); // finished: nothing to start
    const ProcessResult r = Vconv({"delete", "1", "--target"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(Has(Vconv({"history"}).out, "a.mkv"));
}

TEST_F(TaskCliTest, CategoriesFormATreeAndDeletingOneTakesItsSubtreeButNoFiles) {
    const std::string top = Vconv({"categories", "add", "Top", (dir_ / "top").string()}).out;
    const std::string top_id = top.substr(0, top.find('\n'));
    const std::string sub =
        Vconv({"categories", "add", "Sub", (dir_ / "sub").string(), "--parent", top_id}).out;
    const std::string sub_id = sub.substr(0, sub.find('\n'));
    ASSERT_FALSE(sub_id.empty());
    EXPECT_EQ(Vconv({"categories", "set", sub_id, "Renamed", (dir_ / "ren").string()}).exit_code, 0);

    ProcessResult r = Vconv({"categories"});
    EXPECT_TRUE(Has(r.out, "默认分类")) << r.out;
    EXPECT_TRUE(Has(r.out, "  Renamed") && Has(r.out, (dir_ / "ren").string()))
        << r.out; // indented below Top

    // A finished task below the subtree: its row goes with the category, its file stays.
    const auto out = dir_ / "kept.mkv";
    ASSERT_EQ(Vconv({"convert", Media("audio.mp3").string(), "-o", out.string(), "--copy", "-q", "--category",
                     sub_id})
                  .exit_code,
              0);
    EXPECT_EQ(Vconv({"categories", "delete", top_id}).exit_code, 0);
    r = Vconv({"categories"});
    EXPECT_FALSE(Has(r.out, "Top") || Has(r.out, "Renamed")) << r.out;
    EXPECT_TRUE(std::filesystem::exists(out));
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions"), 0);

    const std::vector<std::vector<std::string>> refused = {{"categories", "delete", "1"},
                                                           {"categories", "delete", top_id},
                                                           {"categories", "add", "X", "/x", "--parent", "99"},
                                                           {"categories", "set", "99", "X", "/x"},
                                                           {"categories", "frob"},
                                                           {"history", "--category", top_id}};
    for (const auto& args : refused)
        EXPECT_EQ(Vconv(args).exit_code, 2) << args[1] << " " << args.back();
}

// Rows an older or damaged file may hold: they load (failed, with the reader's message in their
// log, showing what could be read) and never stop the listing.
TEST_F(TaskCliTest, DamagedStoredRowsLoadAsFailedTasks) {
    {
        auto db = OpenStore();
        db->Exec(
            "INSERT INTO Conversions (Converting, ConvertSettings, ConvertedDate, CategoryId, Log) VALUES "
            "(1, '', NULL, 1, NULL),"
            "(1, 'not xml at all <', NULL, 1, 'old line\r\n'),"
            "(1, '<data PropFormat=\"node\"><TConversionSettings><SourceFiles Count=\"1\"><l0>/v/x.avi</l0>"
            "</SourceFiles><DvdTitle>many</DvdTitle></TConversionSettings></data>', NULL, 1, ''),"
            "(1, NULL, NULL, NULL, NULL),"
            "(0, NULL, NULL, 1, NULL)");
    }
    ProcessResult r = Vconv({"tasks"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5) << r.out; // the header and four rows
    EXPECT_TRUE(Has(r.out, "x.avi")) << r.out;
    r = Vconv({"log", "3"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_FALSE(r.out.empty()); // the reader's message about DvdTitle
    EXPECT_EQ(Vconv({"log", "2"}).out.rfind("old line\nThe stored request cannot be read: ", 0), 0u);
    r = Vconv({"history"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "\n5 ")) << r.out;
}

} // namespace
} // namespace vc::test
