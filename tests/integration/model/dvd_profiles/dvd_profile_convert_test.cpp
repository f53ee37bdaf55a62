// A whole DVD title converted with catalogue profiles, the way the wizard's DVD tab sets it up:
// a registered TDvdStream as the "stream:" input, the profile applied to the converter, and the
// output named "<volume label>_<title number>" with the profile's extension.
#include "engine/converter/converter.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "model/profiles/builtin_profiles.h"
#include "model/profiles/profile.h"
#include "platform/optical_drives.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <fstream>
#include <sstream>

namespace vc {
namespace {

struct Expected {
    const char* profile;
    const char* video_codec;
    const char* size;
};

// Decodes without errors. The null muxer's complaint about repeated AC-3 time stamps is left out:
// ffmpeg prints it for its own "-target pal-dvd" files too.
bool DecodesWithoutRealErrors(const std::filesystem::path& file, std::string* errors) {
    if (test::DecodesCleanly(file, errors))
        return true;
    std::istringstream lines(*errors);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.find("non monotonically increasing dts to muxer") == std::string::npos)
            return false;
    return true;
}

class DvdProfileConvert : public ::testing::TestWithParam<Expected> {};

TEST_P(DvdProfileConvert, AWholeTitleConverts) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const std::string drive = (test::MediaDir() / "dvd" / "disc.iso").string();
    auto catalogue = CreateBuiltInCatalogue();
    TAVProfile* profile = catalogue->FindProfile(GetParam().profile);
    ASSERT_NE(profile, nullptr) << GetParam().profile;

    // Title 2: 8 s, one chapter, and a post-command that would replay it for ever.
    auto dvd = std::make_shared<TDvdStream>(drive, 2, 1, 1, 1);
    TStreamRegistration reg(dvd);
    test::TempDir dir;
    char name[64];
    std::snprintf(name, sizeof name, "%s_%d", VolumeLabel(drive).c_str(), 2);
    const auto out = dir / (std::string(name) + profile->Extension().toStdString());

    test::RecordingMessageSink sink;
    TAVConverter converter;
    ASSERT_TRUE(ApplyProfile(*profile, converter));
    converter.SetInputFiles({QString::fromStdString(reg.Url())});
    converter.SetOutputFiles({QString::fromStdString(out.string())});
    converter.Start();
    ASSERT_TRUE(converter.WaitForIdle(240000));
    ASSERT_TRUE(sink.Texts().empty()) << sink.Texts().front();

    EXPECT_EQ(out.filename().string().rfind("TESTDVD_2.", 0), 0u);
    std::string errors;
    EXPECT_TRUE(DecodesWithoutRealErrors(out, &errors)) << errors;
    EXPECT_NEAR(test::ProbeDuration(out), 8.0, 0.6);
    const std::string video =
        test::Ffprobe(out, {"-select_streams", "v", "-show_entries", "stream=codec_name,width,height"});
    EXPECT_EQ(video.rfind(std::string(GetParam().video_codec) + "," + GetParam().size, 0), 0u) << video;
}

INSTANTIATE_TEST_SUITE_P(VcdDvdAndH264, DvdProfileConvert,
                         ::testing::Values(Expected{"VCD", "mpeg1video", "352,288"},
                                           Expected{"DVD", "mpeg2video", "720,576"},
                                           Expected{"IPhone H264 Video", "h264", "480,320"}));

// Chapters 2 to 3 of title 1 (4.8 s to 15.0 s) re-encoded with the DVD profile: the result plays
// for the chapters' length and starts with the title's picture at 4.8 s (frame 120).
TEST(DvdProfileConvert, AChapterRangeSurvivesTheMpeg2RoundTrip) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const auto disc = test::MediaDir() / "dvd";
    auto catalogue = CreateBuiltInCatalogue();
    TAVProfile* profile = catalogue->FindProfile("DVD");
    ASSERT_NE(profile, nullptr);
    auto dvd = std::make_shared<TDvdStream>((disc / "disc").string(), 1, 1, 2, 3);
    TStreamRegistration reg(dvd);
    test::TempDir dir;
    const auto out = dir / "chapters.vob";
    test::RecordingMessageSink sink;
    TAVConverter converter;
    ASSERT_TRUE(ApplyProfile(*profile, converter));
    converter.SetInputFiles({QString::fromStdString(reg.Url())});
    converter.SetOutputFiles({QString::fromStdString(out.string())});
    converter.Start();
    ASSERT_TRUE(converter.WaitForIdle(240000));
    ASSERT_TRUE(sink.Texts().empty()) << sink.Texts().front();

    // The oracle: ffmpeg's own "-target pal-dvd" on the same bytes. Both fill the range's audio lead
    // (DVD muxing puts sound ahead of the pictures) with the first picture, so compare frame counts
    // with it, and the pictures proper with the chapter marks.
    const auto range = dir / "range.mpg";
    {
        TDvdStream again((disc / "disc").string(), 1, 1, 2, 3);
        std::ofstream file(range, std::ios::binary);
        std::vector<char> buf(65536);
        for (int32_t n; (n = again.Read(buf.data(), 65536)) > 0;)
            file.write(buf.data(), n);
    }
    const auto ref = dir / "ffmpeg.vob";
    ASSERT_EQ(test::RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", range.string(), "-target",
                                          "pal-dvd", ref.string()})
                  .exit_code,
              0);
    auto count = [](const std::filesystem::path& f) {
        const std::string n = test::Ffprobe(
            f, {"-select_streams", "v", "-count_frames", "-show_entries", "stream=nb_read_frames"});
        return n.empty() ? -1.0 : std::stod(n);
    };
    EXPECT_NEAR(count(out), count(ref), 2);
    EXPECT_NEAR(count(range) / 25.0, 10.2, 0.5);
    const auto r = test::RunProcess(
        "ffmpeg",
        {"-nostdin", "-hide_banner", "-i", out.string(), "-i", (disc / "disc/VIDEO_TS/VTS_01_1.VOB").string(),
         "-filter_complex",
         "[0:v]trim=end_frame=1,setpts=PTS-STARTPTS[a];[1:v]select=eq(n\\,120),setpts=PTS-STARTPTS[b];"
         "[a][b]psnr",
         "-f", "null", "-"});
    const auto at = r.err.find("average:");
    ASSERT_NE(at, std::string::npos) << r.err;
    const std::string value = r.err.substr(at + 8, r.err.find_first_of(" \n", at + 8) - at - 8);
    EXPECT_TRUE(value == "inf" || std::stod(value) >= 35.0) << value;
}

} // namespace
} // namespace vc
