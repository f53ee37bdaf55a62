// Re-encoded conversions that start later than the input: the picture and the sound of every
// container the catalogue writes start together at the beginning of the output, a flash and a
// beep made together stay together, the first picture is the one at the start asked for and the
// length is the one asked for. ffprobe and ffmpeg judge the outputs. Prints one row a container.
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>

namespace vc::test {
namespace {

#if defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_THREAD_SANITIZER() GTEST_SKIP() << "starts the ffmpeg program"
#else
#define SKIP_UNDER_THREAD_SANITIZER() (void)0
#endif

constexpr double kStart = 1.2;  // the source flashes and beeps on every whole second; key frames at each
constexpr double kLength = 2.5; // seconds
constexpr double kFlashInOutput = 2.0 - kStart;

// Decoded frames of one kind as (time, level) on the file's own clock: the mean brightness of
// each picture, or the peak of each 64-sample block of sound (dB of full scale, -1000 for silence).
std::vector<std::pair<double, double>> Levels(const std::filesystem::path& file, bool video) {
    const std::string key = video ? "lavfi.signalstats.YAVG" : "lavfi.astats.Overall.Peak_level";
    const std::string graph =
        video ? "signalstats,metadata=print:key=" + key + ":file=-"
              : "asetnsamples=n=64,astats=metadata=1:reset=1,ametadata=print:key=" + key + ":file=-";
    const ProcessResult r =
        RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-copyts", "-i", file.string(), "-map",
                              video ? "0:v:0" : "0:a:0", video ? "-vf" : "-af", graph, "-f", "null", "-"});
    std::vector<std::pair<double, double>> levels;
    std::istringstream lines(r.out);
    double time = 0;
    for (std::string line; std::getline(lines, line);) {
        if (const auto at = line.find("pts_time:"); at != std::string::npos) {
            time = std::atof(line.c_str() + at + 9);
        } else if (line.rfind(key + "=", 0) == 0) {
            const std::string level = line.substr(key.size() + 1);
            levels.emplace_back(time,
                                level.find("inf") != std::string::npos ? -1000.0 : std::atof(level.c_str()));
        }
    }
    return levels;
}

// The time of the first entry above `threshold`, or NaN.
double FirstAbove(const std::vector<std::pair<double, double>>& levels, double threshold) {
    for (const auto& [t, level] : levels)
        if (level > threshold)
            return t;
    return std::nan("");
}

double Psnr(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto r = RunProcess("ffmpeg", {"-nostdin", "-hide_banner", "-i", a.string(), "-i", b.string(),
                                         "-lavfi", "psnr", "-f", "null", "-"});
    std::smatch m;
    if (!std::regex_search(r.err, m, std::regex("average:(inf|[0-9.]+)")))
        return -1;
    return m[1] == "inf" ? 1000.0 : std::stod(m[1]);
}

struct Container {
    const char* extension;
    std::vector<std::string> recipe; // vconv options beyond the input, output and times
    bool same_size = true;           // the first picture can be compared with the source's
};

void PrintTo(const Container& c, std::ostream* os) {
    *os << c.extension;
}

// The quality options keep the first picture close enough to its source to be compared.
const std::vector<std::string> kQscale = {"--set", "VideoOptions.VideoQscale=2"};
std::vector<std::string> Recipe(const char* vcodec, const char* acodec, std::vector<std::string> more = {}) {
    std::vector<std::string> r = {"--vcodec", vcodec, "--acodec", acodec};
    if (std::string(vcodec) == "libx264")
        r.insert(r.end(), {"--codec-option", "crf=10"});
    else
        r.insert(r.end(), kQscale.begin(), kQscale.end());
    r.insert(r.end(), more.begin(), more.end());
    return r;
}
const std::vector<std::string> k44100 = {"--set", "AudioOptions.AudioSampleRate=44100"};

class TrimmedSync : public ::testing::TestWithParam<Container> {};

TEST_P(TrimmedSync, PictureAndSoundStartTogether) {
    SKIP_UNDER_THREAD_SANITIZER();
    const Container& c = GetParam();
    TempDir dir;
    const auto out = dir / (std::string("out.") + c.extension);
    std::vector<std::string> args = {"convert",  Media("flash_beep.mp4").string(),
                                     "-o",       out.string(),
                                     "--start",  "1.2",
                                     "--length", "2.5",
                                     "-q",       "--no-history"};
    args.insert(args.end(), c.recipe.begin(), c.recipe.end());
    const ProcessResult run = RunProcess(VconvPath().string(), args);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;

    const auto pictures = Levels(out, true);
    const auto sound = Levels(out, false);
    ASSERT_FALSE(pictures.empty());
    ASSERT_FALSE(sound.empty());
    // Where the container says each stream starts (a decoder may hold back its first frames).
    auto start = [&](const char* stream) {
        return std::atof(
            Ffprobe(out, {"-select_streams", stream, "-show_entries", "stream=start_time"}).c_str());
    };
    const double video_start = start("v:0");
    const double audio_start = start("a:0");
    const double flash = FirstAbove(pictures, 200) - video_start;
    const double beep = FirstAbove(sound, -20) - video_start;
    // One audio frame of the output's codec: the longest of its first packets (Vorbis mixes
    // short and long ones), plus the millisecond some containers round each start to.
    std::istringstream durations(Ffprobe(
        out, {"-select_streams", "a:0", "-read_intervals", "%+#8", "-show_entries", "packet=duration_time"}));
    double audio_frame = 0;
    for (std::string line; std::getline(durations, line);)
        audio_frame = std::max(audio_frame, std::atof(line.c_str()));
    if (!(audio_frame > 0) || audio_frame > 0.1)
        audio_frame = 1152.0 / 44100;
    audio_frame += 0.001;
    // AVI counts pictures rather than timing them: the shift that keeps the encoder's priming of
    // the sound from going negative leaves a gap after its first picture. The length is counted.
    const size_t n = pictures.size();
    const double frame_rate_s = n > 1 ? pictures[n - 1].first - pictures[n - 2].first : 0.04;
    const double length = static_cast<double>(n) * frame_rate_s;

    double psnr = -1;
    if (c.same_size) {
        const auto ours = dir / "ours.png", theirs = dir / "theirs.png";
        RunProcess("ffmpeg",
                   {"-nostdin", "-v", "error", "-y", "-i", out.string(), "-frames:v", "1", ours.string()});
        RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-y", "-ss", "1.2", "-i",
                              Media("flash_beep.mp4").string(), "-frames:v", "1", theirs.string()});
        psnr = Psnr(ours, theirs);
    }
    std::printf("SYNC | %-5s | video starts %6.3f s | sound %6.3f s | flash %6.3f s | beep %6.3f s | "
                "apart %5.1f ms (audio frame %4.1f ms) | length %5.3f s | first picture %6.1f dB\n",
                c.extension, video_start, audio_start, flash, beep, (beep - flash) * 1000, audio_frame * 1000,
                length, psnr);
    EXPECT_LE(std::fabs(audio_start - video_start), audio_frame) << "the streams start apart";
    EXPECT_NEAR(flash, kFlashInOutput, frame_rate_s + 1e-3) << "the flash moved";
    EXPECT_LE(std::fabs(beep - flash), audio_frame) << "flash and beep apart";
    EXPECT_NEAR(length, kLength, frame_rate_s + 1e-3);
    if (c.same_size) {
        EXPECT_GE(psnr, 40.0) << "the first picture is not the source's picture at the start";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Containers, TrimmedSync,
    ::testing::Values(
        Container{"mp4", Recipe("libx264", "aac")}, Container{"mov", Recipe("libx264", "aac")},
        Container{"m4v", Recipe("libx264", "aac")}, Container{"f4v", Recipe("libx264", "aac")},
        Container{"mkv", Recipe("libx264", "aac")}, Container{"3gp", Recipe("mpeg4", "aac")},
        Container{"3g2", Recipe("mpeg4", "aac")}, Container{"avi", Recipe("mpeg4", "libmp3lame")},
        Container{"flv", Recipe("flv", "libmp3lame", k44100)},
        Container{"swf", Recipe("flv", "libmp3lame", k44100)}, Container{"wmv", Recipe("wmv2", "wmav2")},
        Container{"mpg", Recipe("mpeg2video", "mp2")}, Container{"vob", Recipe("mpeg2video", "ac3")},
        Container{"ts", Recipe("mpeg2video", "mp2")},
        Container{"webm",
                  Recipe("libvpx", "libvorbis", {"--codec-option", "crf=4", "--codec-option", "b=4M"})},
        Container{"dv",
                  {"--vcodec", "dvvideo", "--acodec", "pcm_s16le", "--set", "VideoOptions.FrameWidth=720",
                   "--set", "VideoOptions.FrameHeight=576", "--set", "AudioOptions.AudioSampleRate=48000"},
                  false}),
    [](const ::testing::TestParamInfo<Container>& info) { return std::string(info.param.extension); });

} // namespace
} // namespace vc::test
