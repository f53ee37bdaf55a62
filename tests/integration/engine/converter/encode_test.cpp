// Re-encoding: default and named encoders, scaling, the volume factor, frame limits, the encoder
// parameter fitting, the video-buffer hook, subtitles and two-pass encoding.
#include "conversion_harness.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace vc::test {
namespace {

struct Conversion {
    TempDir dir;
    RecordingMessageSink sink;
    TAVConverter converter;
    RunRecord record;
    std::vector<std::string> log;

    Conversion() {
        Record(converter, record);
        QObject::connect(
            &converter, &TAVConverter::OnLog, &converter,
            [this](int, const QString& line) { log.push_back(line.toStdString()); }, Qt::DirectConnection);
    }
    TAVConvertOptions* options() { return converter.ConvertOptions(); }
    std::filesystem::path Run(const std::filesystem::path& input, const std::string& name) {
        const auto out = dir / name;
        converter.SetInputFiles({QString::fromStdString(input.string())});
        converter.SetOutputFiles({QString::fromStdString(out.string())});
        EXPECT_TRUE(RunToEnd(converter));
        return out;
    }
    bool Logged(const std::string& text) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
};

// Raw signed 16-bit samples of a file's first audio stream, decoded by the ffmpeg program.
std::vector<int16_t> Samples(const std::filesystem::path& file) {
    const ProcessResult r = RunProcess(
        "ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-map", "0:a:0", "-f", "s16le", "-"});
    std::vector<int16_t> samples(r.out.size() / 2);
    std::memcpy(samples.data(), r.out.data(), samples.size() * 2);
    return samples;
}

struct EncodeCase {
    const char* input;
    const char* output;
    std::function<void(TAVConvertOptions&)> configure;
    std::vector<std::string> streams;
    const char* size; // "W,H" of the video, or "" for none
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.input << " -> " << c.output;
}

class ReEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(ReEncode, DecodesWithTheChosenCodecsSizeAndDuration) {
    const EncodeCase& c = GetParam();
    Conversion run;
    if (c.configure)
        c.configure(*run.options());
    const auto out = run.Run(Media(c.input), c.output);
    ASSERT_EQ(run.record.completed, 1);
    ASSERT_TRUE(run.converter.LastError().empty())
        << run.converter.LastError() << " / " << run.converter.LastLog();
    auto streams = ProbeStreams(out);
    for (auto& s : streams)
        s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    EXPECT_EQ(streams, c.streams);
    if (*c.size) {
        EXPECT_EQ(Ffprobe(out, {"-select_streams", "v", "-show_entries", "stream=width,height"}),
                  std::string(c.size) + "\n");
    }
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
    EXPECT_NEAR(ProbeDuration(out), ProbeDuration(Media(c.input)), 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, ReEncode,
    ::testing::Values(EncodeCase{"h264_aac.mp4", "out.mp4", {}, {"video:h264", "audio:aac"}, "320,240"},
                      EncodeCase{"h264_aac.mp4",
                                 "small.avi",
                                 [](TAVConvertOptions& o) {
                                     o.VideoOptions()->SetFrameWidth(160);
                                     o.VideoOptions()->SetFrameHeight(120);
                                 },
                                 {"video:mpeg4", "audio:mp3"},
                                 "160,120"},
                      EncodeCase{"mpeg2_mp2.mpg", "out.mkv", {}, {"video:h264", "audio:vorbis"}, "352,288"},
                      EncodeCase{"odd_size.mp4", "odd.mp4", {}, {"video:h264", "audio:aac"}, "642,362"},
                      // 4:2:0 needs even sizes: one column and one line less rather than a refusal.
                      EncodeCase{"odd_321x241.avi", "odd.mp4", {}, {"video:h264", "audio:aac"}, "320,240"},
                      EncodeCase{"vfr.mkv", "vfr.mp4", {}, {"video:h264", "audio:aac"}, "320,240"},
                      EncodeCase{"audio.wav", "audio.mp3", {}, {"audio:mp3"}, ""},
                      EncodeCase{
                          "two_audio_subs.mkv",
                          "subs.mp4",
                          [](TAVConvertOptions& o) { o.SubtitleOptions()->SetSubtitleCodecName("mov_text"); },
                          {"video:h264", "audio:aac", "subtitle:mov_text"},
                          "320,240"},
                      EncodeCase{"h264_aac.mp4",
                                 "copy_video.mkv",
                                 [](TAVConvertOptions& o) { o.VideoOptions()->SetVideoStreamCopy(true); },
                                 {"video:h264", "audio:vorbis"},
                                 "320,240"}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return "case" + std::to_string(info.index); });

TEST(Encode, VolumeScalesSixteenBitSamplesExactly) {
    struct Case {
        int volume;
    } cases[] = {{128}, {512}};
    const std::vector<int16_t> input = Samples(Media("audio.wav"));
    ASSERT_FALSE(input.empty());
    for (const auto& c : cases) {
        Conversion run;
        run.options()->AudioOptions()->SetAudioVolume(c.volume);
        const auto out = run.Run(Media("audio.wav"), "out.wav");
        ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
        const std::vector<int16_t> output = Samples(out);
        ASSERT_EQ(output.size(), input.size());
        size_t mismatches = 0;
        for (size_t i = 0; i < input.size(); ++i) {
            const int expected = std::clamp((input[i] * c.volume + 128) >> 8, -32768, 32767);
            mismatches += output[i] != expected;
        }
        EXPECT_EQ(mismatches, 0u) << "volume " << c.volume;
    }
}

TEST(Encode, MaxFramesEndsTheVideo) {
    Conversion run;
    run.options()->VideoOptions()->SetMaxFrames(50);
    run.options()->AudioOptions()->SetAudioDisable(true);
    const auto out = run.Run(Media("h264_aac.mp4"), "out.mkv");
    ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
    EXPECT_EQ(Ffprobe(out, {"-count_frames", "-show_entries", "stream=nb_read_frames"}), "50\n");
}

TEST(Encode, SampleRateAndFrameRateAreFittedToTheEncoder) {
    {
        Conversion run; // mp2 has 32000 Hz but not 30000 Hz
        run.options()->AudioOptions()->SetAudioSampleRate(30000);
        run.options()->AudioOptions()->SetEncoderAudioCodecName("mp2");
        run.options()->VideoOptions()->SetVideoDisable(true);
        const auto out = run.Run(Media("audio.wav"), "out.mkv");
        ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
        EXPECT_EQ(Ffprobe(out, {"-show_entries", "stream=sample_rate"}), "32000\n");
        EXPECT_TRUE(run.Logged("Requested sampling rate unsupported using closest supported (32000)"));
    }
    struct Case {
        bool force;
        const char* frames; // in the 5 s clip; "" when the encoder refuses the forced rate
    } cases[] = {{false, "125"}, {true, ""}};
    for (const auto& c : cases) {
        Conversion run; // MPEG-2 video lists 24, 25, 30 ... but not 26 frames a second
        run.options()->VideoOptions()->SetEncoderVideoCodecName("mpeg2video");
        run.options()->VideoOptions()->FrameRate()->SetNum(26);
        run.options()->VideoOptions()->FrameRate()->SetDen(1);
        run.options()->VideoOptions()->SetForceFPS(c.force);
        run.options()->AudioOptions()->SetAudioDisable(true);
        const auto out = run.Run(Media("h264_aac.mp4"), "out.avi");
        if (*c.frames) {
            ASSERT_TRUE(run.converter.LastError().empty()) << run.converter.LastError();
            const std::string counted =
                Ffprobe(out, {"-count_frames", "-show_entries", "stream=nb_read_frames"});
            EXPECT_EQ(counted.substr(0, counted.find_first_of(",\n")), c.frames);
            EXPECT_NE(Ffprobe(out, {"-show_entries", "stream=r_frame_rate"}).find("25/1"), std::string::npos);
        } else {
            EXPECT_EQ(run.converter.LastError().rfind("Error while opening codec for output stream", 0), 0u)
                << run.converter.LastError();
        }
    }
}

TEST(Encode, VideoBufferHandlerChangesTheEncodedPicture) {
    Conversion run;
    run.options()->AudioOptions()->SetAudioDisable(true);
    run.options()->VideoOptions()->SetEncoderVideoCodecName("ffv1"); // lossless: the change survives
    int calls = 0;
    bool bitmap_ok = true;
    QObject::connect(&run.converter, &TAVConverter::OnVideoBuffer, &run.converter,
                     [&](TAVBitmap* bitmap, qint64, bool* modified) {
                         ++calls;
                         bitmap_ok =
                             bitmap_ok && bitmap->Width == 320 && bitmap->Height == 240 && bitmap->Bits;
                         // The first stored rows are the bottom of the picture: a red 16x16 corner.
                         for (int y = 0; y < 16; ++y)
                             for (int x = 0; x < 16; ++x) {
                                 uint8_t* px = bitmap->Bits + y * bitmap->Stride() + x * 4;
                                 px[0] = 0, px[1] = 0, px[2] = 255, px[3] = 255; // B, G, R, A
                             }
                         *modified = true;
                     });
    const auto out = run.Run(Media("h264_aac.mp4"), "out.mkv");
    ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
    EXPECT_EQ(calls, 125);
    EXPECT_TRUE(bitmap_ok);
    const ProcessResult r = RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", out.string(), "-frames:v",
                                                  "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(r.out.size(), 320u * 240 * 3);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const uint8_t*>(r.out.data()) + (y * 320 + x) * 3;
    };
    const uint8_t* bottom_left = pixel(4, 235);
    EXPECT_GT(bottom_left[0], 200);
    EXPECT_LT(bottom_left[1], 60);
    EXPECT_LT(bottom_left[2], 60);
    const uint8_t* top_left = pixel(4, 4);
    EXPECT_FALSE(top_left[0] > 200 && top_left[1] < 60 && top_left[2] < 60);
}

TEST(Encode, TwoPassWritesAndReadsItsLogInTheCurrentFolder) {
    TempDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(work.path().string()));
    struct Pass {
        int pass;
        bool ok;
    } passes[] = {{2, false}, {1, true}, {2, true}};
    for (const auto& p : passes) {
        Conversion run;
        run.options()->AudioOptions()->SetAudioDisable(true);
        run.options()->VideoOptions()->SetEncoderVideoCodecName("mpeg4");
        run.options()->VideoOptions()->SetBitrate(200000);
        run.options()->VideoOptions()->SetPass(p.pass);
        const auto out = run.Run(Media("h264_aac.mp4"), "out.avi");
        EXPECT_EQ(run.converter.LastError().empty(), p.ok)
            << "pass " << p.pass << ": " << run.converter.LastError();
        if (p.ok) {
            EXPECT_TRUE(DecodesCleanly(out));
        }
    }
    EXPECT_GT(std::filesystem::file_size(work / "ffmpeg2pass-0.log"), 0u);
    QDir::setCurrent(previous);
}

TEST(Encode, AudioSyncFillsALateStartWithSilence) {
    TempDir media;
    const auto late = media / "late_audio.mkv";
    // Audio that begins 0.5 s after the picture.
    const ProcessResult made =
        RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                              "testsrc=size=160x120:rate=25:duration=3", "-itsoffset", "0.5", "-f", "lavfi",
                              "-i", "sine=frequency=440:sample_rate=8000:duration=2.5", "-c:v", "mpeg4",
                              "-c:a", "pcm_s16le", late.string()});
    ASSERT_EQ(made.exit_code, 0) << made.err;
    struct Case {
        int sync_method;
        bool silent_start;
        double duration_s;
    } cases[] = {{0, false, 2.5}, {1, true, 3.0}};
    for (const auto& c : cases) {
        Conversion run;
        run.options()->AudioOptions()->SetAudioSyncMethod(c.sync_method);
        const auto out = run.Run(late, "out.wav");
        ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
        const std::vector<int16_t> samples = Samples(out);
        ASSERT_GT(samples.size(), 8000u);
        int loudest_start = 0;
        for (size_t i = 0; i < 3200; ++i) // the first 0.4 s
            loudest_start = std::max(loudest_start, std::abs(static_cast<int>(samples[i])));
        EXPECT_EQ(loudest_start < 50, c.silent_start) << "sync method " << c.sync_method;
        EXPECT_NEAR(samples.size() / 8000.0, c.duration_s, 0.05) << "sync method " << c.sync_method;
    }
}

// The MD5 of every decoded picture of a file's video, in order.
std::vector<std::string> PictureHashes(const std::filesystem::path& file) {
    const ProcessResult r = RunProcess(
        "ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-map", "0:v:0", "-f", "framemd5", "-"});
    std::vector<std::string> hashes;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            hashes.push_back(line.substr(line.find_last_of(", ") + 1));
    return hashes;
}

TEST(Encode, DeinterlacingMatchesTheDeinterlaceFilterOrIsLeftOutWithAnError) {
    TempDir media;
    struct Case {
        const char* size;
        bool set_up; // false: the deinterlacer refuses pictures of fewer than three lines
    } cases[] = {{"160x120", true}, {"160x2", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        // Two fields of a 50 fps source woven into each of 25 frames: every frame is combed.
        const auto combed = media / (std::string("combed_") + c.size + ".mkv");
        const ProcessResult made =
            RunProcess("ffmpeg", {"-nostdin", "-y", "-v", "error", "-f", "lavfi", "-i",
                                  std::string("testsrc2=size=") + c.size + ":rate=50:duration=1", "-vf",
                                  "tinterlace=mode=interleave_top", "-c:v", "ffv1", combed.string()});
        ASSERT_EQ(made.exit_code, 0) << made.err;
        std::vector<std::string> outputs[2];
        for (const bool deinterlace : {false, true}) {
            Conversion run;
            run.options()->VideoOptions()->SetEncoderVideoCodecName("ffv1");
            run.options()->VideoOptions()->SetDeinterlace(deinterlace);
            const auto out = run.Run(combed, "out.mkv");
            ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
            EXPECT_EQ(run.sink.Contains("Deinterlacing failed"), deinterlace && !c.set_up);
            outputs[deinterlace] = PictureHashes(out);
            EXPECT_EQ(outputs[deinterlace].size(), 25u);
        }
        if (c.set_up) {
            const auto reference = media / "yadif.mkv";
            ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-y", "-v", "error", "-i", combed.string(), "-vf",
                                            "yadif=mode=send_frame", "-c:v", "ffv1", reference.string()})
                          .exit_code,
                      0);
            EXPECT_EQ(outputs[true], PictureHashes(reference));
            EXPECT_NE(outputs[true], outputs[false]);
        } else {
            EXPECT_EQ(outputs[true], outputs[false]); // the pictures as they are
        }
    }
}

// DVD subpictures (muxed in by spumux) re-encoded: as DVB subtitles each one gives two packets,
// one that shows it and one that clears it; as DVD subpictures one, on the video's canvas.
TEST(Encode, BitmapSubtitlesAreReEncodedAndDvbOnesSentTwice) {
    TempDir media;
    const auto image = media / "sub.png", plain = media / "plain.mpg", xml = media / "subs.xml",
               subbed = media / "subbed.mpg";
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                    "color=c=white:s=120x24,format=rgba,pad=352:288:40:240:color=0x00000000",
                                    "-frames:v", "1", image.string()})
                  .exit_code,
              0);
    ASSERT_EQ(RunProcess("ffmpeg",
                         {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "testsrc=size=352x288:rate=25:duration=3", "-target", "pal-dvd", plain.string()})
                  .exit_code,
              0);
    {
        std::ofstream x(xml);
        x << "<subpictures><stream>"
          << "<spu start=\"00:00:00.50\" end=\"00:00:01.20\" image=\"" << image.string() << "\"/>"
          << "<spu start=\"00:00:01.60\" end=\"00:00:02.40\" image=\"" << image.string() << "\"/>"
          << "</stream></subpictures>";
    }
    const ProcessResult muxed = RunProcess("sh", {"-c", "spumux -s 0 \"$1\" < \"$2\" > \"$3\"", "sh",
                                                  xml.string(), plain.string(), subbed.string()});
    ASSERT_EQ(muxed.exit_code, 0) << muxed.err;
    const struct {
        const char* output;
        const char* codec;
        int packets;
    } cases[] = {{"out.ts", "dvbsub", 4}, {"out.mkv", "dvdsub", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codec);
        Conversion run;
        run.options()->VideoOptions()->SetEncoderVideoCodecName("mpeg2video");
        run.options()->SubtitleOptions()->SetSubtitleCodecName(c.codec);
        const auto out = run.Run(subbed, c.output);
        ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
        std::istringstream times(Ffprobe(out, {"-select_streams", "s", "-show_entries", "packet=pts_time"}));
        int packets = 0;
        for (std::string line; std::getline(times, line);)
            packets += !line.empty();
        EXPECT_EQ(packets, c.packets);
    }
}

// A phone clip stores its pictures as the sensor saw them, with a display matrix that says how to
// turn them: re-encoded they are turned upright as the ffmpeg program turns them; copied, the
// matrix goes along.
TEST(Encode, TurnedPicturesAreEncodedUprightAndCopiesKeepTheirTurn) {
    TempDir media;
    for (const char* degrees : {"90", "180", "270"}) {
        SCOPED_TRACE(std::string(degrees) + " degrees");
        const auto turned = media / (std::string("turned") + degrees + ".mp4");
        ASSERT_EQ(
            RunProcess("ffmpeg", {"-nostdin", "-y", "-v", "error", "-i", Media("h264_aac.mp4").string(), "-c",
                                  "copy", "-metadata:s:v", std::string("rotate=") + degrees, turned.string()})
                .exit_code,
            0);
        const auto reference = media / "upright.mkv";
        ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin", "-y", "-v", "error", "-i", turned.string(), "-an", "-c:v",
                                        "ffv1", reference.string()})
                      .exit_code,
                  0);
        const std::string size = Ffprobe(reference, {"-show_entries", "stream=width,height"});
        ASSERT_EQ(size, std::string(degrees) == "180" ? "320,240\n" : "240,320\n");

        Conversion encode;
        encode.options()->VideoOptions()->SetEncoderVideoCodecName("ffv1");
        encode.options()->AudioOptions()->SetAudioDisable(true);
        const auto upright = encode.Run(turned, "upright.mkv");
        ASSERT_EQ(encode.record.completed, 1) << encode.converter.LastError();
        EXPECT_EQ(Ffprobe(upright, {"-show_entries", "stream=width,height"}), size);
        EXPECT_EQ(PictureHashes(upright), PictureHashes(reference));

        Conversion copy;
        copy.options()->VideoOptions()->SetVideoStreamCopy(true);
        copy.options()->AudioOptions()->SetAudioStreamCopy(true);
        const auto copied = copy.Run(turned, "copy.mp4");
        ASSERT_EQ(copy.record.completed, 1) << copy.converter.LastError();
        const std::vector<std::string> rotation{"-select_streams", "v", "-show_entries",
                                                "stream_side_data=rotation"};
        EXPECT_EQ(Ffprobe(copied, rotation), Ffprobe(turned, rotation));
        EXPECT_NE(Ffprobe(copied, rotation).find_first_of("0123456789"), std::string::npos);
    }
}

// An album's cover is a still stored as a one-frame video: it stays a cover where the output
// keeps covers, and is left out elsewhere instead of becoming a video or failing the run.
TEST(Encode, ACoverPictureStaysACoverOrIsLeftOut) {
    TempDir media;
    const auto song = media / "cover.mp3";
    ASSERT_EQ(RunProcess("ffmpeg", {"-nostdin",
                                    "-v",
                                    "error",
                                    "-i",
                                    Media("audio.mp3").string(),
                                    "-f",
                                    "lavfi",
                                    "-i",
                                    "testsrc=size=300x300:duration=1",
                                    "-frames:v",
                                    "1",
                                    "-map",
                                    "0:a",
                                    "-map",
                                    "1:v",
                                    "-c:a",
                                    "copy",
                                    "-c:v",
                                    "mjpeg",
                                    "-disposition:v",
                                    "attached_pic",
                                    song.string()})
                  .exit_code,
              0);
    const struct {
        const char* output;
        std::vector<std::string> streams;
    } cases[] = {{"song.m4a", {"audio:aac"}},
                 {"song.ogg", {"audio:vorbis"}},
                 {"song.mp3", {"audio:mp3", "video:png"}},
                 {"song.flac", {"audio:flac", "video:png"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        Conversion run;
        const auto out = run.Run(song, c.output);
        ASSERT_EQ(run.record.completed, 1) << run.converter.LastError();
        EXPECT_TRUE(run.converter.LastError().empty()) << run.converter.LastError();
        EXPECT_EQ(ProbeStreams(out), c.streams);
        EXPECT_NEAR(ProbeDuration(out), 5.0, 0.1);
    }
}

} // namespace
} // namespace vc::test
