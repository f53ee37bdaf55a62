#include "platform/optical_drives.h"

#include "support/test_env.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vc {
namespace {

namespace fs = std::filesystem;

fs::path Dvd(const std::string& name) {
    return test::MediaDir() / "dvd" / name;
}

TEST(OpticalDrives, VolumeLabels) {
    test::TempDir dir;
    fs::create_directories(dir / "My Film" / "VIDEO_TS");
    struct Case {
        fs::path drive;
        std::string label;
    } cases[] = {
        {Dvd("disc.iso"), "TESTDVD"},
        {dir / "My Film", "My Film"},
        {dir / "My Film" / "VIDEO_TS", "My Film"},
        {test::Media("audio.wav"), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VolumeLabel(c.drive.string(), "/dev/null"), c.label) << c.drive;
}

// A fake /dev and mount table: sr0 holds the test image (not mounted), sr1 a disc without
// VIDEO_TS, sr2 is mounted on a folder with a DVD, and a hard-disk partition with VIDEO_TS is
// mounted too. Only sr0 and sr2 hold a video DVD.
TEST(OpticalDrives, ListsOnlyOpticalDrivesHoldingAVideoDvd) {
    test::TempDir dir;
    const fs::path dev = dir / "dev";
    fs::create_directories(dev);
    fs::create_symlink(Dvd("disc.iso"), dev / "sr0");
    fs::create_symlink(test::Media("mpeg2_mp2.mpg"), dev / "sr1");
    std::ofstream(dir / "blank.img") << "";
    fs::create_symlink(dir / "blank.img", dev / "sr2");
    fs::create_symlink(dev / "sr0", dev / "cdrom");

    const fs::path mounted = dir / "media" / "FILMDISC";
    fs::create_directories(mounted / "video_ts");
    std::ofstream(mounted / "video_ts" / "video_ts.ifo") << "x";
    const fs::path harddisk = dir / "data";
    fs::create_directories(harddisk / "VIDEO_TS");
    std::ofstream(harddisk / "VIDEO_TS" / "VIDEO_TS.IFO") << "x";
    std::ofstream(dir / "mounts") << (dev / "sr2").string() << " " << mounted.string() << " udf ro 0 0\n"
                                  << "/dev/sda1 " << harddisk.string() << " ext4 rw 0 0\n";

    const auto drives = ListVideoDvdDrives((dir / "mounts").string(), dev.string());
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].device, (dev / "sr0").string());
    EXPECT_EQ(drives[0].mount_point, "");
    EXPECT_EQ(drives[0].volume_label, "TESTDVD");
    EXPECT_EQ(drives[0].DisplayName(), (dev / "sr0").string() + ": [TESTDVD]");
    EXPECT_EQ(drives[1].device, (dev / "sr2").string());
    EXPECT_EQ(drives[1].mount_point, mounted.string());
    EXPECT_EQ(drives[1].volume_label, "FILMDISC");
}

TEST(OpticalDrives, RecognisesOpticalDeviceNames) {
    EXPECT_TRUE(IsOpticalDevice("/dev/sr0"));
    EXPECT_TRUE(IsOpticalDevice("/dev/scd1"));
    EXPECT_FALSE(IsOpticalDevice("/dev/sda1"));
    EXPECT_FALSE(IsOpticalDevice("/dev/loop0"));
}

} // namespace
} // namespace vc
