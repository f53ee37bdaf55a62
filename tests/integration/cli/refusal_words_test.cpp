// Inputs that cannot be converted as they are: every refusal names the file and a cause the user
// can act on, and an input with something convertible beside an empty stream converts the rest.
// The fixtures are made here with the trait that matters: subtitles alone, a fragment of a
// segmented stream, a transport stream whose audio track carries no packet, an AIFF-C file in a
// coding nobody decodes.
#include "integration/cli/tasks_cli_fixture.h"
#include "support/file_text.h"

#include <fstream>
#include <sstream>

namespace vc::test {
namespace {

void Ffmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-nostdin", "-v", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    const ProcessResult r = RunProcess("ffmpeg", all);
    ASSERT_EQ(r.exit_code, 0) << r.err;
}

class RefusalWords : public TaskCliTest {
protected:
    std::filesystem::path Srt() {
        const auto path = dir_ / "subs.srt";
        WriteAll(path,
                 "1\n00:00:00,500 --> 00:00:02,000\nHello\n\n2\n00:00:02,500 --> 00:00:04,000\nWorld\n");
        return path;
    }
};

TEST_F(RefusalWords, EveryRefusalNamesTheFileAndWhatToDo) {
    const auto srt = Srt();
    const auto ass = dir_ / "subs.ass";
    const auto vtt = dir_ / "subs.vtt";
    const auto sub = dir_ / "subs.sub";
    const auto mp4 = dir_ / "captions-only.mp4";
    Ffmpeg({"-i", srt.string(), ass.string()});
    Ffmpeg({"-i", srt.string(), vtt.string()});
    Ffmpeg({"-i", srt.string(), "-c:s", "mov_text", mp4.string()});
    WriteAll(sub, "{12}{50}Hello\n{62}{100}World\n{110}{150}Again\n"); // MicroDVD: frames in braces
    // A DASH stream's media segment: it starts with a segment type box, its track is described in
    // the init segment.
    std::filesystem::create_directories(dir_ / "dash");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=3", "-c:v", "libx264", "-preset",
            "ultrafast", "-g", "25", "-seg_duration", "1", "-f", "dash", (dir_ / "dash/m.mpd").string()});
    const auto fragment = dir_ / "dash/chunk-stream0-00002.m4s";
    // An AIFF-C file whose COMM chunk names a coding no decoder has.
    const auto aiff = dir_ / "odd.aif";
    Ffmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "pcm_f32be", "-f", "aiff", aiff.string()});
    std::string bytes = ReadAll(aiff);
    ASSERT_NE(bytes.find("fl32"), std::string::npos);
    bytes.replace(bytes.find("fl32"), 4, "zzzz");
    WriteAll(aiff, bytes);

    const struct {
        std::filesystem::path input;
        std::string words;
    } rows[] = {
        {srt, "holds only subtitles (no video or audio)"},
        {ass, "holds only subtitles (no video or audio)"},
        {vtt, "holds only subtitles (no video or audio)"},
        {sub, "holds only subtitles (no video or audio)"},
        {mp4, "holds only subtitles (no video or audio)"},
        {fragment, "is a fragment of a segmented stream: give its init segment with it"},
        {aiff, "is an AIFF-C file in the audio coding 'zzzz'"},
    };
    for (const auto& row : rows) {
        for (const bool task : {false, true}) {
            const auto out = dir_ / ("out-" + row.input.filename().string() + (task ? "-task" : "") + ".mp4");
            std::vector<std::string> args = {"convert", row.input.string(), "-o", out.string(), "-q"};
            if (!task)
                args.push_back("--no-history");
            const ProcessResult r = Vconv(args);
            EXPECT_EQ(r.exit_code, 1) << row.input << "\n" << r.err;
            EXPECT_NE(r.err.find(row.input.string()), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(row.words), std::string::npos) << (task ? "task: " : "") << r.err;
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST_F(RefusalWords, AnEmptyAudioTrackLeavesTheVideoToConvertWithAWarning) {
    const auto full = dir_ / "av.ts";
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=3", "-f", "lavfi", "-i",
            "sine=duration=3", "-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts", full.string()});
    // The audio track stays in the programme table; every packet of it goes (PID 0x101).
    const std::string ts = ReadAll(full);
    std::string kept;
    for (size_t at = 0; at + 188 <= ts.size(); at += 188) {
        const int pid =
            ((static_cast<unsigned char>(ts[at + 1]) & 0x1f) << 8) | static_cast<unsigned char>(ts[at + 2]);
        if (pid != 0x101)
            kept += ts.substr(at, 188);
    }
    ASSERT_LT(kept.size(), ts.size());
    const auto input = dir_ / "silent-track.ts";
    WriteAll(input, kept);
    ASSERT_NE(Ffprobe(input, {"-show_entries", "stream=codec_type,sample_rate"}).find("audio,0"),
              std::string::npos);

    const auto out = dir_ / "video-only.mp4";
    const ProcessResult r = Vconv({"convert", input.string(), "-o", out.string(), "--no-history", "-v"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("audio stream #0.1 holds no data: converted the video only"), std::string::npos)
        << r.err;
    ASSERT_EQ(ProbeStreams(out).size(), 1u);
    EXPECT_EQ(ProbeStreams(out)[0].rfind("video:", 0), 0u);
    EXPECT_TRUE(DecodesCleanly(out));

    // Without the video there is nothing left, and the words say which stream is empty.
    const ProcessResult audio = Vconv({"convert", input.string(), "-o", (dir_ / "a.mp3").string(), "--set",
                                       "VideoOptions.VideoDisable=1", "--no-history", "-q"});
    EXPECT_EQ(audio.exit_code, 1) << audio.err;
    EXPECT_NE(audio.err.find("audio stream #0.1 holds no data"), std::string::npos) << audio.err;
    EXPECT_NE(audio.err.find(input.string()), std::string::npos) << audio.err;
}

} // namespace
} // namespace vc::test
