// Every catalogue profile converts two sources through `vconv convert --profile`: the 4-second
// 1280x720 H.264 + AAC clip, and 1.5 s at 30 fps whose sound starts 0.1 s after the picture (as
// phone and camera recordings do). ffprobe judges the result against what the profile asked for
// and ffmpeg decodes it fully. Each pair is its own test and prints one row of the matrix:
// source, profile, result, seconds.
#include "engine/converter/own_encoders.h"
#include "engine/options/convert_options.h"
#include "model/profiles/builtin_profiles.h"
#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"
#include "support/test_env.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <tuple>

namespace vc {
namespace {

// The codec ffprobe names for each encoder a profile writes (older names included).
const std::map<QString, std::string> kVideoCodecs = {{"libx264", "h264"},
                                                     {"mpeg4", "mpeg4"},
                                                     {"libxvid", "mpeg4"},
                                                     {"h263", "h263"},
                                                     {"wmv2", "wmv2"},
                                                     {"mpeg2video", "mpeg2video"},
                                                     {"mpeg1video", "mpeg1video"},
                                                     {"msmpeg4", "msmpeg4v3"},
                                                     {"rv20", "rv20"},
                                                     {"flv", "flv1"},
                                                     {"gif", "gif"}};
const std::map<QString, std::string> kAudioCodecs = {
    {"libfaac", "aac"}, {"libmp3lame", "mp3"},      {"wmav2", "wmav2"},     {"ac3", "ac3"},
    {"mp2", "mp2"},     {"pcm_s16le", "pcm_s16le"}, {"real_144", "ra_144"}, {"libopencore_amrnb", "amr_nb"}};

// Profiles whose rate the encoder's list of supported rates replaces (ForceFPS is off).
const std::map<QString, const char*> kRateFittedByEncoder = {
    {"DV  Film (*.dv)", "DV has no 24000/1001 fps profile at 720x480; the encoder's 30000/1001 is used"},
};

// The encoder of this codec, by any name FFmpeg 5.1 knows it under or as one of the engine's own
// encoders; false when the build lacks it.
bool EncoderAvailable(const QString& name) {
    static const std::map<QString, const char*> kCurrent = {{"libfaac", "aac"}};
    const auto it = kCurrent.find(name);
    const std::string current = it == kCurrent.end() ? name.toStdString() : it->second;
    return avcodec_find_encoder_by_name(current.c_str()) != nullptr || FindOwnEncoder(current) != nullptr;
}

struct Source {
    const char* file;
    int width, height;
};
const Source kSources[] = {{"hd720_h264_aac.mp4", 1280, 720}, {"late_sound_30fps.mp4", 320, 240}};

// The fields of the first line (a transport stream lists its streams again under its program).
std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '\n')
            break;
        if (c == sep) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

double Rate(const std::string& fraction) {
    const auto parts = Split(fraction, '/');
    if (parts.size() != 2 || std::stod(parts[1]) == 0)
        return 0;
    return std::stod(parts[0]) / std::stod(parts[1]);
}

class ProfileMatrix : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(ProfileMatrix, Converts) {
    const Source& source = kSources[std::get<0>(GetParam())];
    const std::string stem = std::filesystem::path(source.file).stem().string();
    const auto catalogue = CreateBuiltInCatalogue();
    TAVProfile* profile = catalogue->Profiles(std::get<1>(GetParam()));
    const QString description = profile->Description();
    TAVConvertOptions options;
    profile->Apply(&options);

    test::TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    const test::ProcessResult run = test::RunProcess(
        test::VconvPath().string(),
        {"convert", test::Media(source.file).string(), "-o", dir.path().string(), "--profile",
         description.toStdString(), "--profile-category", profile->Category().toStdString(), "-q"},
        std::chrono::seconds(240));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto row = [&](const std::string& result) {
        std::printf("MATRIX | %-18s | %-50s | %-24s | %5.1f s\n", source.file,
                    description.toStdString().c_str(), result.c_str(), seconds);
    };
    if (run.err.find("re-encoding is not available") != std::string::npos) {
        row("skipped: no encoding");
        GTEST_SKIP() << "this build cannot re-encode yet";
    }

    const QString vcodec = options.VideoOptions()->EncoderVideoCodecName();
    const QString acodec = options.AudioOptions()->EncoderAudioCodecName();
    if (run.exit_code != 0) {
        for (const QString& encoder : {vcodec, acodec})
            if (!encoder.isEmpty() && !EncoderAvailable(encoder)) {
                row("encoder not available");
                EXPECT_EQ(run.exit_code, 1);
                EXPECT_NE(run.err.find(encoder.toStdString()), std::string::npos) << run.err;
                return;
            }
        row("FAILED");
        FAIL() << "exit " << run.exit_code << ": " << run.err;
    }

    // The output: the input's name with the profile's extension, or the numbered picture sequence.
    std::filesystem::path out;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (out.empty() || entry.path().string() < out.string())
            out = entry.path();
    ASSERT_FALSE(out.empty()) << "no output";
    if (qobject_cast<TAVImageProfile*>(profile) != nullptr) {
        // "1.jpg" carries the first number; a plain ".bmp" numbers from 1 before the dot.
        const QString ext = profile->Extension();
        const std::string dot_ext = (ext.front().isDigit() ? ext.mid(1) : ext).toStdString();
        const std::string first = stem + "1" + dot_ext;
        EXPECT_TRUE(std::filesystem::exists(dir.path() / first)) << first;
        EXPECT_TRUE(std::filesystem::exists(dir.path() / (stem + "2" + dot_ext)))
            << "only one picture was written";
        // Every picture is a file of its own that decodes alone: the second and the last too.
        int pictures = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            pictures += entry.is_regular_file() ? 1 : 0;
        for (int number : {2, pictures}) {
            const auto picture = dir.path() / (stem + std::to_string(number) + dot_ext);
            std::string errors;
            EXPECT_TRUE(test::DecodesCleanly(picture, &errors)) << picture << ": " << errors;
        }
        out = dir.path() / first;
    }
    std::string errors;
    EXPECT_TRUE(test::DecodesCleanly(out, &errors)) << errors;

    const auto video =
        Split(test::Ffprobe(out, {"-select_streams", "v:0", "-show_entries",
                                  "stream=codec_name,width,height,r_frame_rate,avg_frame_rate"}),
              ',');
    const auto audio = Split(test::Ffprobe(out, {"-select_streams", "a:0", "-show_entries",
                                                 "stream=codec_name,sample_rate,channels"}),
                             ',');
    if (!options.VideoOptions()->VideoDisable() && qobject_cast<TAVImageProfile*>(profile) == nullptr) {
        ASSERT_EQ(video.size(), 5u) << "no video stream";
        if (const auto it = kVideoCodecs.find(vcodec); it != kVideoCodecs.end()) {
            EXPECT_EQ(video[0], it->second);
        }
        // The engine keeps the source size unless both width and height are given.
        const int w = options.VideoOptions()->FrameWidth(), h = options.VideoOptions()->FrameHeight();
        // DV writes the sizes of its own standards only.
        if (video[0] != "dvvideo") {
            EXPECT_EQ(video[1], std::to_string(w > 0 && h > 0 ? w : source.width));
            EXPECT_EQ(video[2], std::to_string(w > 0 && h > 0 ? h : source.height));
        }
        const TRational* rate = options.VideoOptions()->FrameRate();
        if (const auto it = kRateFittedByEncoder.find(description); it != kRateFittedByEncoder.end()) {
            std::printf("  %s: %s\n", description.toStdString().c_str(), it->second);
        } else if (rate->num() > 0 && rate->den() > 0) {
            const double want = double(rate->num()) / rate->den();
            const bool r_ok = std::fabs(Rate(video[3]) - want) < want * 0.01;
            const bool avg_ok = std::fabs(Rate(video[4]) - want) < want * 0.01;
            EXPECT_TRUE(r_ok || avg_ok) << video[3] << " / " << video[4] << " for " << want;
        }
    } else {
        EXPECT_TRUE(video.empty() || qobject_cast<TAVImageProfile*>(profile) != nullptr);
    }
    if (qobject_cast<TAVImageProfile*>(profile) == nullptr) {
        ASSERT_EQ(audio.size(), 3u) << "no audio stream";
        if (const auto it = kAudioCodecs.find(acodec); it != kAudioCodecs.end()) {
            EXPECT_EQ(audio[0], it->second);
        }
        if (options.AudioOptions()->AudioSampleRate() > 0) {
            EXPECT_EQ(audio[1], std::to_string(options.AudioOptions()->AudioSampleRate()));
        }
        if (options.AudioOptions()->AudioChannels() > 0) {
            EXPECT_EQ(audio[2], std::to_string(options.AudioOptions()->AudioChannels()));
        }
    }
    row(HasFailure() ? "FAILED" : "ok");
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, ProfileMatrix,
                         ::testing::Combine(::testing::Range(0, 2), ::testing::Range(0, 147)));

} // namespace
} // namespace vc
