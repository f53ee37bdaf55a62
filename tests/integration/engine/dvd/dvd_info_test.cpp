#include "dvd_test_util.h"
#include "engine/dvd/dvd_info.h"
#include "platform/error.h"

#include <gtest/gtest.h>

namespace vc {
namespace {

using test::Dvd;

class DvdInfoDrives : public ::testing::TestWithParam<std::string> {};

// Title 1: 25 s, five chapters at 0, 4.8, 10.2, 15.0, 19.8 s (marks snap to GOPs), two audio
// tracks; title 2: 8 s, one chapter, one audio track.
TEST_P(DvdInfoDrives, ReadsTitlesChaptersAndStreams) {
    TDvdInfo info(Dvd(GetParam()).string());
    ASSERT_EQ(info.TitleCount(), 2);

    const TDvdTitle* t1 = info.Titles(0);
    EXPECT_EQ(t1->TitleNumber(), 1);
    EXPECT_EQ(t1->ChapterCount(), 5);
    EXPECT_EQ(t1->AngleCount(), 1);
    EXPECT_EQ(t1->AudioCount(), 2);
    EXPECT_EQ(t1->SubtitleCount(), 0);
    EXPECT_NEAR(t1->Duration(), 25.0, 0.05);
    EXPECT_EQ(t1->Hours() * 3600 + t1->Minutes() * 60 + t1->Seconds(), 25);
    const double marks[] = {4.8, 5.4, 4.8, 4.8, 5.2};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t1->Chapters()[i]->ChapterNumber(), i + 1);
        EXPECT_NEAR(t1->Chapters()[i]->Duration(), marks[i], 0.05) << "chapter " << i + 1;
    }
    EXPECT_EQ(t1->AudioTracks()[0]->Audio()->language, "en");
    EXPECT_EQ(t1->AudioTracks()[1]->Audio()->language, "de");

    const TDvdTitle* t2 = info.Titles(1);
    EXPECT_EQ(t2->TitleNumber(), 2);
    EXPECT_EQ(t2->ChapterCount(), 1);
    EXPECT_EQ(t2->AudioCount(), 1);
    EXPECT_NEAR(t2->Duration(), 8.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P(FolderIsoAndVideoTs, DvdInfoDrives,
                         ::testing::Values("disc", "disc/VIDEO_TS", "disc/VIDEO_TS/", "disc.iso",
                                           "disc/VIDEO_TS/VIDEO_TS.IFO"));

TEST(DvdInfo, WhatDoesNotOpenAsADvdSaysSo) {
    test::TempDir empty;
    for (const auto& path : {Dvd("damaged_vmg"), Dvd("missing"), empty.path(), test::Media("audio.wav")}) {
        SCOPED_TRACE(path);
        try {
            TDvdInfo info(path.string());
            FAIL() << "opened";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Can not open DVD");
        }
    }
}

TEST(DvdInfo, ATitleWhoseTablesAreDamagedIsLeftOut) {
    TDvdInfo info(Dvd("damaged_vts").string());
    ASSERT_EQ(info.TitleCount(), 1);
    EXPECT_EQ(info.Titles(0)->TitleNumber(), 1);
    EXPECT_EQ(info.Titles(0)->ChapterCount(), 5);
}

TEST(DvdNav, AngleChangeOnAOneAngleTitleIsRefused) {
    hb_dvdnav_t* nav = hb_dvdnav_init(Dvd("disc").string());
    ASSERT_NE(nav, nullptr);
    auto title = hb_dvdnav_title_scan(nav, 1);
    ASSERT_TRUE(title);
    EXPECT_EQ(hb_dvdnav_title_scan(nav, 3), nullptr);
    ASSERT_NE(hb_dvdnav_start(nav, title.get(), 2), 0);
    EXPECT_EQ(hb_dvdnav_angle_count(nav), 1);
    EXPECT_EQ(hb_dvdnav_set_angle(nav, 2), 0);
    EXPECT_EQ(hb_dvdnav_chapter(nav), 2);
    EXPECT_EQ(hb_dvdnav_start(nav, title.get(), 6), 0);
    hb_dvdnav_close(&nav);
    EXPECT_EQ(nav, nullptr);
}

} // namespace
} // namespace vc
