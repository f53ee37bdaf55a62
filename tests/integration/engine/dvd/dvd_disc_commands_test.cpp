// A disc whose own commands move on (a still, a jump to the next title, a call of the menu): every
// title must end where its own content ends, not where the disc's program goes next.
#include "dvd_test_util.h"
#include "engine/dvd/dvd_info.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vc {
namespace {

using test::Dvd;

TEST(DvdDiscCommands, ChaptersMadeOfSeveralCellsAreTimedWhole) {
    TDvdInfo info(Dvd("jumps").string());
    ASSERT_EQ(info.TitleCount(), 2);
    const TDvdTitle* t1 = info.Titles(0);
    ASSERT_EQ(t1->ChapterCount(), 2);
    EXPECT_NEAR(t1->Duration(), 6.0, 0.05);
    // Chapter 1 is two cells (0-2 s and 2-4 s, cut at picture-group starts).
    EXPECT_NEAR(t1->Chapters()[0]->Duration(), 4.0, 0.3);
    EXPECT_NEAR(t1->Chapters()[0]->Duration() + t1->Chapters()[1]->Duration(), 6.0, 0.05);
    EXPECT_EQ(info.Titles(1)->ChapterCount(), 2);
    EXPECT_NEAR(info.Titles(1)->Duration(), 4.0, 0.05);
}

TEST(DvdDiscCommands, EachTitleEndsWithItsOwnBlocks) {
    // The title set's VOB is title 1's blocks followed by title 2's.
    const auto vob = test::FileBytes(Dvd("jumps/VIDEO_TS/VTS_01_1.VOB"));
    const auto start = std::chrono::steady_clock::now();
    TDvdStream t1(Dvd("jumps").string(), 1, 1, 1, 2); // still, then a jump to title 2
    TDvdStream t2(Dvd("jumps").string(), 2, 1, 1, 2); // then a call of the menu
    const auto a = test::ReadAll(t1);
    const auto b = test::ReadAll(t2);
    EXPECT_EQ(std::ssize(a), t1.GetSize());
    EXPECT_EQ(std::ssize(b), t2.GetSize());
    ASSERT_EQ(a.size() + b.size(), vob.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), vob.begin()));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), vob.begin() + std::ssize(a)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "the still was waited out";

    // Back into title 1 after the disc has gone on to title 2.
    const int64_t middle = 300 * 2048 + 17;
    ASSERT_EQ(t1.Seek(middle, TSeekOrigin::soBeginning), middle);
    const auto again = test::ReadAll(t1);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), a.begin() + middle, a.end()));
    EXPECT_EQ(std::ssize(again), std::ssize(a) - middle);

    // The last chapter alone, after a chapter of two cells.
    TDvdStream last(Dvd("jumps").string(), 1, 1, 2, 2);
    EXPECT_EQ(last.EndBlock(), t1.EndBlock());
    const auto c = test::ReadAll(last);
    ASSERT_EQ(std::ssize(c), last.GetSize());
    EXPECT_TRUE(std::equal(c.begin(), c.end(), vob.begin() + last.StartBlock() * 2048LL));
}

} // namespace
} // namespace vc
