// Conversions into the usual codec and container pairs, frame-rate conversion by duplicating
// and dropping frames, damaged input, and inputs whose picture or sound format changes midway.
#include "conversion_harness.h"
#include "engine/converter/own_encoders.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vc::test {
namespace {

struct Conversion {
    TempDir dir;
    RecordingMessageSink sink;
    TAVConverter converter;
    RunRecord record;

    Conversion() { Record(converter, record); }
    TAVConvertOptions* options() { return converter.ConvertOptions(); }
    std::filesystem::path Convert(const std::filesystem::path& input, const std::string& name) {
        const auto out = dir / name;
        converter.SetInputFiles({QString::fromStdString(input.string())});
        converter.SetOutputFiles({QString::fromStdString(out.string())});
        EXPECT_TRUE(RunToEnd(converter));
        EXPECT_EQ(record.completed, 1);
        EXPECT_TRUE(converter.LastError().empty()) << converter.LastError() << " / " << converter.LastLog();
        return out;
    }
};

std::string Entries(const std::filesystem::path& file, const char* select, const char* entries) {
    return Ffprobe(file, {"-select_streams", select, "-show_entries", entries});
}

int CountFrames(const std::filesystem::path& file, const char* select = "v:0") {
    const std::string counted =
        Ffprobe(file, {"-select_streams", select, "-count_frames", "-show_entries", "stream=nb_read_frames"});
    return std::atoi(counted.c_str());
}

struct PairCase {
    const char* output;
    std::function<void(TAVConvertOptions&)> configure;
    std::vector<std::string> streams;
    const char* video; // "codec,width,height" or "" for none
    const char* audio; // "codec,sample_rate,channels" or "" for none
};

void Codecs(TAVConvertOptions& o, const char* video, const char* audio) {
    if (*video)
        o.VideoOptions()->SetEncoderVideoCodecName(video);
    else
        o.VideoOptions()->SetVideoDisable(true);
    if (*audio)
        o.AudioOptions()->SetEncoderAudioCodecName(audio);
    else
        o.AudioOptions()->SetAudioDisable(true);
}

// Every pair decodes fully with the chosen codecs and lasts as long as the source and as the others.
TEST(CodecPairs, EachDecodesWithItsCodecsAndTheSourceDuration) {
    const auto source = Media("h264_aac.mp4");
    const double source_s = ProbeDuration(source);
    const PairCase cases[] = {
        {"mpeg4.mp4",
         [](TAVConvertOptions& o) { Codecs(o, "mpeg4", "aac"); },
         {"video:mpeg4", "audio:aac"},
         "mpeg4,320,240",
         "aac,44100,2"},
        {"x264.mp4",
         [](TAVConvertOptions& o) { Codecs(o, "libx264", "aac"); },
         {"video:h264", "audio:aac"},
         "h264,320,240",
         "aac,44100,2"},
        {"ps.mpg",
         [](TAVConvertOptions& o) { Codecs(o, "mpeg2video", "mp2"); },
         {"video:mpeg2video", "audio:mp2"},
         "mpeg2video,320,240",
         "mp2,44100,2"},
        {"vcd.mpg",
         [](TAVConvertOptions& o) {
             Codecs(o, "mpeg1video", "mp2");
             o.SetOutputFormat("vcd");
             o.VideoOptions()->SetFrameWidth(352);
             o.VideoOptions()->SetFrameHeight(288);
         },
         {"video:mpeg1video", "audio:mp2"},
         "mpeg1video,352,288",
         "mp2,44100,2"},
        {"flv1.flv",
         [](TAVConvertOptions& o) { Codecs(o, "flv", "libmp3lame"); },
         {"video:flv1", "audio:mp3"},
         "flv1,320,240",
         "mp3,44100,2"},
        {"wmv.asf",
         [](TAVConvertOptions& o) { Codecs(o, "wmv2", "wmav2"); },
         {"video:wmv2", "audio:wmav2"},
         "wmv2,320,240",
         "wmav2,44100,2"},
        {"only.mp3",
         [](TAVConvertOptions& o) { Codecs(o, "", "libmp3lame"); },
         {"audio:mp3"},
         "",
         "mp3,44100,2"},
        {"pcm.wav",
         [](TAVConvertOptions& o) { Codecs(o, "", "pcm_s16le"); },
         {"audio:pcm_s16le"},
         "",
         "pcm_s16le,44100,2"},
    };
    std::vector<double> durations;
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.output);
        Conversion run;
        c.configure(*run.options());
        const auto out = run.Convert(source, c.output);
        auto streams = ProbeStreams(out);
        for (auto& s : streams)
            s.erase(std::remove(s.begin(), s.end(), ','), s.end());
        std::sort(streams.begin(), streams.end()); // FLV writes the sound first
        auto expected = c.streams;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(streams, expected);
        if (*c.video) {
            EXPECT_EQ(Entries(out, "v:0", "stream=codec_name,width,height").rfind(c.video, 0), 0u);
        }
        if (*c.audio) {
            EXPECT_EQ(Entries(out, "a:0", "stream=codec_name,sample_rate,channels"),
                      std::string(c.audio) + "\n");
        }
        std::string errors;
        EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
        const double d = ProbeDuration(out);
        EXPECT_NEAR(d, source_s, 0.1);
        durations.push_back(d);
    }
    const auto [low, high] = std::minmax_element(durations.begin(), durations.end());
    EXPECT_LE(*high - *low, 0.1);
}

TEST(CodecPairs, AnEncoderThisBuildLacksFailsTheRunNamingIt) {
    const struct {
        bool video;
        const char* name;
        const char* message;
    } cases[] = {
        {false, "libopencore_amrnb",
         "Unknown Codec Name: libopencore_amrnb (this FFmpeg build has no such encoder)"},
        {true, "nosuchcodec", "Unknown Codec Name: nosuchcodec (this FFmpeg build has no such encoder)"},
    };
    for (const auto& c : cases) {
        if (FindOwnEncoder(c.name))
            continue; // this build brings its own (AMR-NB with the opencore library)
        Conversion run;
        if (c.video)
            run.options()->VideoOptions()->SetEncoderVideoCodecName(c.name);
        else
            run.options()->AudioOptions()->SetEncoderAudioCodecName(c.name);
        const auto out = run.dir / "out.mkv";
        run.converter.SetInputFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
        run.converter.SetOutputFiles({QString::fromStdString(out.string())});
        ASSERT_TRUE(RunToEnd(run.converter));
        ASSERT_EQ(run.record.errors.size(), 1u);
        EXPECT_EQ(run.record.errors[0], c.message);
        EXPECT_EQ(run.record.completed, 0);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// Image sequences: one picture per frame, each a decodable image; JPEG needs full-range pictures.
TEST(CodecPairs, ImageSequencesWriteOnePictureAFrame) {
    const struct {
        const char* pattern;
        const char* first;
        const char* codec;
    } cases[] = {{"clip%d.jpg", "clip1.jpg", "mjpeg"}, {"frame%03d.png", "frame001.png", "png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        Conversion run;
        run.options()->AudioOptions()->SetAudioDisable(true);
        run.Convert(Media("h264_aac.mp4"), c.pattern);
        const auto files = std::distance(std::filesystem::directory_iterator(run.dir / ""),
                                         std::filesystem::directory_iterator());
        EXPECT_EQ(files, 125);
        const auto first = run.dir / c.first;
        EXPECT_EQ(Entries(first, "v:0", "stream=codec_name,width,height"),
                  std::string(c.codec) + ",320,240\n");
        EXPECT_TRUE(DecodesCleanly(first));
    }
}

// 2 s clips at other rates, made by the ffmpeg program.
std::filesystem::path MakeClip(const TempDir& dir, const std::string& rate) {
    const auto clip = dir / ("rate" + rate + ".mkv");
    const ProcessResult r = RunProcess("ffmpeg", {"-nostdin", "-y", "-v", "error", "-f", "lavfi", "-i",
                                                  "testsrc=size=160x120:rate=" + rate + ":duration=2", "-c:v",
                                                  "libx264", "-preset", "ultrafast", clip.string()});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return clip;
}

TEST(FrameRate, ConstantRateOutputsDuplicateAndDropFrames) {
    TempDir clips;
    const struct {
        const char* rate;
        int sync_method;
        int frames;
    } cases[] = {
        {"12.5", -1, 50}, // every frame twice
        {"50", -1, 51},   // the first three, then every other one: 0, 1, 2, 4, 6, ..., 98
        {"12.5", 0, 25},  // passed through with their own time stamps
        {"50", 2, 51},    // variable rate: 0, 1, 3, 5, ..., 99
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rate) + " fps, sync " + std::to_string(c.sync_method));
        Conversion run;
        run.options()->VideoOptions()->SetEncoderVideoCodecName("mpeg4");
        run.options()->VideoOptions()->FrameRate()->SetNum(25);
        run.options()->VideoOptions()->FrameRate()->SetDen(1);
        run.options()->VideoOptions()->SetVideoSyncMethod(c.sync_method);
        const auto out = run.Convert(MakeClip(clips, c.rate), "out.avi");
        EXPECT_EQ(CountFrames(out), c.frames);
    }
}

// What the decoder and the encoder's look-ahead still hold when the loop reaches the length is not
// written past it (libx264 holds dozens of frames).
TEST(FrameRate, ALengthEndsTheReEncodedStreamsThere) {
    Conversion run;
    run.options()->SetRecordingTime(2000000);
    run.options()->VideoOptions()->SetEncoderVideoCodecName("libx264");
    const auto out = run.Convert(Media("h264_aac.mp4"), "out.mkv");
    EXPECT_EQ(CountFrames(out), 50);
    EXPECT_NEAR(ProbeDuration(out), 2.0, 0.1);
}

// Into MP4 with sound: the last frame needs a duration, or the edit list leaves it out.
TEST(FrameRate, MaxFramesStopsAtExactlyThatMany) {
    Conversion run;
    run.options()->VideoOptions()->SetMaxFrames(100);
    const auto out = run.Convert(Media("h264_aac.mp4"), "out.mp4");
    EXPECT_EQ(CountFrames(out), 100);
}

// Damaged packets in the middle: what decodes is converted and the run finishes normally.
TEST(DamagedInput, ConvertsWhatItCanAndFinishes) {
    TempDir dir;
    const auto damaged = dir / "damaged.ts";
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", Media("h264_aac.mp4").string(), "-c",
                                    "copy", damaged.string()})
                  .exit_code,
              0);
    {
        std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0, std::ios::end);
        const auto size = static_cast<long>(f.tellp());
        // Garbage over payloads here and there, past the first key frame; the 0x47 sync bytes stay.
        for (long at = size / 4; at < size * 3 / 4; at += size / 10) {
            f.seekp(at - at % 188 + 20);
            const std::string junk(150, '\x5a');
            f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
        }
    }
    Conversion run;
    const auto out = run.Convert(damaged, "out.mkv");
    EXPECT_TRUE(DecodesCleanly(out));
    EXPECT_GT(ProbeDuration(out), 4.0);
    EXPECT_GT(CountFrames(out), 90);
}

// format_change.ts: 2 s of 320x240 with 44.1 kHz sound, then 2 s of 352x288 with 48 kHz. Both
// halves are converted: the graphs are rebuilt for the second.
TEST(FormatChange, BothHalvesAreConvertedAtTheFirstHalfsFormat) {
    const struct {
        const char* output;
        const char* audio;
    } cases[] = {{"out.mp4", "aac"}, {"out.mkv", "libvorbis"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        Conversion run;
        run.options()->AudioOptions()->SetEncoderAudioCodecName(c.audio);
        const auto out = run.Convert(Media("format_change.ts"), c.output);
        EXPECT_EQ(Entries(out, "v:0", "stream=width,height"), "320,240\n");
        EXPECT_EQ(Entries(out, "a:0", "stream=sample_rate"), "44100\n");
        EXPECT_GE(CountFrames(out), 98);
        // The second half's sound is there: decoded sound lasts the whole 4 s.
        const std::string audio_s = Ffprobe(out, {"-select_streams", "a:0", "-show_entries",
                                                  "packet=pts_time", "-read_intervals", "%+#999999"});
        ASSERT_FALSE(audio_s.empty());
        const std::string last = audio_s.substr(audio_s.rfind('\n', audio_s.size() - 2) + 1);
        EXPECT_GT(std::atof(last.c_str()), 3.8);
        std::string errors;
        EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
    }
}

} // namespace
} // namespace vc::test
