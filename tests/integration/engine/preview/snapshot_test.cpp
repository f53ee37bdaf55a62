// A picture grabbed through the preview equals ffmpeg's picture at the same time.
#include "engine/preview/snapshot.h"
#include "engine/streams/stream_source.h"
#include "platform/error.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace vc::test {
namespace {

// These tests judge pictures with the ffmpeg program. Under the thread sanitizer a child process
// started from a multi-threaded test corrupts the sanitizer's state of the parent (false reports,
// then "starting new threads after multi-threaded fork is not supported"), so they skip there.
#if defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_THREAD_SANITIZER() GTEST_SKIP() << "starts the ffmpeg program"
#else
#define SKIP_UNDER_THREAD_SANITIZER() (void)0
#endif

// ffmpeg's PSNR between two pictures ("inf" for identical ones becomes a large number).
double Psnr(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto r = RunProcess("ffmpeg", {"-nostdin", "-hide_banner", "-i", a.string(), "-i", b.string(),
                                         "-lavfi", "psnr", "-f", "null", "-"});
    std::smatch m;
    if (!std::regex_search(r.err, m, std::regex("average:(inf|[0-9.]+)")))
        return -1;
    return m[1] == "inf" ? 1000.0 : std::stod(m[1]);
}

std::filesystem::path FfmpegFrame(const std::filesystem::path& in, const std::string& at,
                                  const std::filesystem::path& out, const std::string& vf = {}) {
    std::vector<std::string> args = {"-nostdin", "-v", "error",     "-y",        "-ss",
                                     at,         "-i", in.string(), "-frames:v", "1"};
    if (!vf.empty()) {
        args.push_back("-vf");
        args.push_back(vf);
    }
    args.push_back(out.string());
    EXPECT_EQ(RunProcess("ffmpeg", args).exit_code, 0);
    return out;
}

class FileStream final : public TStream {
public:
    explicit FileStream(const std::filesystem::path& p) : in_(p, std::ios::binary) {}
    int32_t Read(void* buffer, int32_t count) override {
        in_.read(static_cast<char*>(buffer), count);
        return static_cast<int32_t>(in_.gcount());
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        in_.clear();
        in_.seekg(offset, origin == TSeekOrigin::soBeginning ? std::ios::beg
                          : origin == TSeekOrigin::soCurrent ? std::ios::cur
                                                             : std::ios::end);
        return in_ ? static_cast<int64_t>(in_.tellg()) : -1;
    }

private:
    std::ifstream in_;
};

TEST(PreviewSnapshot, MatchesFfmpegAtTheSameTime) {
    SKIP_UNDER_THREAD_SANITIZER();
    TempDir dir;
    TStreamRegistration program_stream(std::make_shared<FileStream>(Media("mpeg2_mp2.mpg")));
    // A phone clip's pictures, stored turned with a display matrix: shown upright.
    const auto turned = dir / "turned.mp4";
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", Media("h264_aac.mp4").string(), "-c",
                                    "copy", "-metadata:s:v", "rotate=90", turned.string()})
                  .exit_code,
              0);
    struct Case {
        std::string source;
        std::filesystem::path reference_input;
        std::string at, vf;
    };
    const Case cases[] = {
        {Media("h264_aac.mp4").string(), Media("h264_aac.mp4"), "2", ""},
        // ffmpeg -ss gives the first picture at or after the time, the preview the one showing at
        // it: the times here fall on picture boundaries, where the two agree.
        {Media("h264_aac.mp4").string(), Media("h264_aac.mp4"), "3.32", "hflip"},
        {Media("odd_size.mp4").string(), Media("odd_size.mp4"), "1.52", ""},
        {program_stream.Url(), Media("mpeg2_mp2.mpg"), "2", ""},
        {turned.string(), turned, "2", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const auto ours = dir / ("ours" + std::to_string(n) + ".png");
        const auto theirs =
            FfmpegFrame(c.reference_input, c.at, dir / ("ref" + std::to_string(n) + ".png"), c.vf);
        ++n;
        SavePicturePng(GrabPicture(c.source, std::stod(c.at), c.vf), ours.string());
        EXPECT_GE(Psnr(ours, theirs), 45.0) << c.source << " at " << c.at;
    }
}

// ffmpeg's picture showing at `at` seconds after the start of the video stream: the last one
// that starts at or before it, on the file's own clock.
std::filesystem::path FfmpegPictureShowing(const std::filesystem::path& in, double at,
                                           const std::filesystem::path& out) {
    const std::string start = Ffprobe(in, {"-select_streams", "v:0", "-show_entries", "stream=start_time"});
    const double origin = start.rfind("N/A", 0) == 0 ? 0 : std::atof(start.c_str());
    // Half a second before it is enough for the slowest clip (5 fps), and keeps a clip that
    // changes its picture size from being scaled to the size it began with.
    char select[128];
    std::snprintf(select, sizeof select, "select=between(t\\,%.6f\\,%.6f)", origin + at - 0.5,
                  origin + at + 0.0005);
    EXPECT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-y", "-copyts", "-i", in.string(), "-vf",
                                    select, "-fps_mode", "passthrough", "-update", "1", out.string()})
                  .exit_code,
              0);
    return out;
}

// Every clip the tests make, at three times each, against the picture ffmpeg shows then. The
// files carry the traits of real ones: MPEG-4 Part 2 in Matroska, a transport stream caught
// mid-programme, a phone's 1/90000 clock, VP9 in AVI, joined clips that change size.
TEST(PreviewSnapshot, EveryClipAtThreeTimes) {
    SKIP_UNDER_THREAD_SANITIZER();
    TempDir dir;
    struct Clip {
        const char* name;
        double times[3];
    };
    const Clip clips[] = {
        {"h264_aac.mp4", {0, 1.5, 4.5}},
        {"mpeg2_mp2.mpg", {0, 2, 4.2}},
        {"mpeg2.ts", {0, 1, 2.5}},
        {"two_audio_subs.mkv", {0, 1.3, 3.5}},
        {"chapters.mkv", {0.5, 4, 8.5}},
        {"vfr.mkv", {0.3, 2.5, 4.5}},
        {"odd_size.mp4", {0, 1.2, 2.8}},
        {"odd_321x241.avi", {0, 0.9, 1.8}},
        {"hd720_h264_aac.mp4", {0, 2, 3.8}},
        {"format_change.ts", {0.5, 1, 1.5}},
        {"flash_beep.mp4", {0, 2, 3.9}},
        {"phone_vfr.mp4", {0, 1, 1.9}},
        {"vp9_rate.avi", {0, 0.5, 0.9}},
        {"mpeg4_aac.mkv", {0, 1, 3}},
        {"mid_programme.ts", {0.4, 1.5, 2.5}},
        {"late_sound_30fps.mp4", {0, 0.7, 1.4}},
    };
    int n = 0;
    for (const Clip& clip : clips) {
        for (double at : clip.times) {
            const auto ours = dir / ("ours" + std::to_string(n) + ".png");
            const auto theirs =
                FfmpegPictureShowing(Media(clip.name), at, dir / ("ref" + std::to_string(n) + ".png"));
            ++n;
            try {
                SavePicturePng(GrabPicture(Media(clip.name).string(), at), ours.string());
            } catch (const Error& e) {
                ADD_FAILURE() << clip.name << " at " << at << ": " << e.what();
                continue;
            }
            EXPECT_GE(Psnr(ours, theirs), 45.0) << clip.name << " at " << at;
        }
    }
}

TEST(PreviewSnapshot, ClearErrors) {
    EXPECT_THROW(GrabPicture(Media("garbage.mp4").string(), 1), Error);
    EXPECT_THROW(GrabPicture(Media("audio.mp3").string(), 1), Error);
    try {
        GrabPicture(Media("h264_aac.mp4").string(), 60);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("There is no picture at 60.000 s"), std::string::npos)
            << e.what();
    }
    // A fragmented MP4's first segment describes the video but holds none of it.
    try {
        GrabPicture(Media("init_segment.mp4").string(), 0.5);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("the file holds no pictures"), std::string::npos) << e.what();
    }
}

TEST(PreviewSnapshot, VconvWritesThePicture) {
    SKIP_UNDER_THREAD_SANITIZER();
    TempDir dir;
    const auto out = dir / "at2.png";
    const auto r = RunProcess(VconvPath().string(),
                              {"snapshot", Media("h264_aac.mp4").string(), "--at", "2", "-o", out.string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_GE(Psnr(out, FfmpegFrame(Media("h264_aac.mp4"), "2", dir / "ref.png")), 45.0);
    EXPECT_EQ(RunProcess(VconvPath().string(), {"snapshot", Media("h264_aac.mp4").string()}).exit_code, 2);
    const auto bad =
        RunProcess(VconvPath().string(), {"snapshot", Media("garbage.mp4").string(), "-o", out.string()});
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_NE(bad.err.find("Cannot open"), std::string::npos) << bad.err;
}

TEST(PreviewSnapshot, VconvTakesThePictureFromADvdTitle) {
    SKIP_UNDER_THREAD_SANITIZER();
    TempDir dir;
    const auto disc = MediaDir() / "dvd" / "disc";
    const auto out = dir / "dvd.png";
    const auto r = RunProcess(VconvPath().string(), {"snapshot", disc.string(), "--dvd-title", "1", "--at",
                                                     "2", "-o", out.string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    // The title shows its frame number; at 25 fps the picture at 2 s is frame 50. (ffmpeg's own
    // -ss lands on frame 60 here: the key frame after the target, not the picture at it.)
    const auto reference = dir / "frame50.png";
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i",
                                    (disc / "VIDEO_TS" / "VTS_01_1.VOB").string(), "-vf", "select=eq(n\\,50)",
                                    "-frames:v", "1", reference.string()})
                  .exit_code,
              0);
    EXPECT_GE(Psnr(out, reference), 45.0);
    EXPECT_EQ(
        RunProcess(VconvPath().string(), {"snapshot", disc.string(), "--dvd-title", "9", "-o", out.string()})
            .exit_code,
        1);
}

} // namespace
} // namespace vc::test
