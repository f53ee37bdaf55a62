// vconv convert as a user runs it: exit codes, the messages on stderr, help, and Ctrl+C.
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <thread>

namespace vc::test {
namespace {

ProcessResult Vconv(std::vector<std::string> args) {
    args.insert(args.begin(), "convert");
    return RunProcess(VconvPath().string(), args);
}

struct CliCase {
    const char* what;
    std::vector<std::string> args; // "@name" is a fixture, "%name" a file in the temporary folder
    int exit_code;
    const char* message;   // expected on stderr
    const char* more = ""; // and this too
};

void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.what;
}

class ConvertCli : public ::testing::TestWithParam<CliCase> {};

TEST_P(ConvertCli, ExitCodeAndMessage) {
    const CliCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> args;
    for (const auto& a : c.args) {
        if (!a.empty() && a[0] == '@')
            args.push_back(Media(a.substr(1)).string());
        else if (!a.empty() && a[0] == '%')
            args.push_back((dir / a.substr(1)).string());
        else
            args.push_back(a);
    }
    const ProcessResult r = Vconv(args);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.more), std::string::npos) << r.err;
}

const std::vector<std::string> kCopy{"--copy", "-o", "%out.mkv"};
std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertCli,
    ::testing::Values(
        // A file that cannot be read is named with the system's or the library's reason.
        CliCase{"missing input", With({"%missing.mp4"}, kCopy), 1,
                "Could not open file: ", "missing.mp4: No such file or directory\n"},
        CliCase{"input is a folder", With({"%."}, kCopy), 1, "Could not open file: ", ".: Is a directory\n"},
        CliCase{"empty input", With({"@empty.mp4"}, kCopy), 1,
                "Could not open file: ", "empty.mp4: Invalid data found when processing input"},
        CliCase{"garbage input", With({"@garbage.mp4"}, kCopy), 1,
                "Could not open file: ", "garbage.mp4: Invalid data found when processing input"},
        CliCase{"truncated mp4", With({"@truncated.mp4"}, kCopy), 1, "Could not open file:"},
        CliCase{"truncated ts copies what is there", With({"@truncated.ts"}, kCopy), 0, "Done:"},
        CliCase{"unknown formats", With({"@h264_aac.mp4", "--input-format", "nope", "-f", "nope2"}, kCopy), 1,
                "Unknown input nope or Output format nope2"},
        CliCase{"unknown output format", With({"@h264_aac.mp4", "-f", "nosuchfmt"}, kCopy), 1,
                "Error: Unknown Output format nosuchfmt\n"},
        CliCase{"unknown output extension",
                {"@h264_aac.mp4", "--copy", "-o", "%out.zzz"},
                1,
                "Unable to find a suitable output format for"},
        CliCase{"decoder of the wrong kind",
                With({"@h264_aac.mp4", "--set", "VideoOptions.DecoderVideoCodecName=aac"}, kCopy), 1,
                "Invalid codec type"},
        CliCase{"unknown encoder",
                {"@h264_aac.mp4", "--vcodec", "nosuchcodec", "-o", "%out.mkv"},
                1,
                "Unknown Codec Name: nosuchcodec"},
        // Maps: a missing stream is named with the streams there are; a wrong number of maps with
        // the output streams there are and how to leave one out.
        CliCase{"too few maps", With({"@h264_aac.mp4", "--map", "0=0"}, kCopy), 1,
                "Number of stream maps must match number of output streams: 1 map for 2 output streams "
                "(#0.0 video, #0.1 audio)",
                "or leave a stream out with VideoOptions.VideoDisable=1 or AudioOptions.AudioDisable=1"},
        CliCase{"map to a missing stream", With({"@h264_aac.mp4", "--map", "0=7"}, kCopy), 1,
                "Could not find input stream #0.7: input file 0 (",
                "h264_aac.mp4) has 2 streams: #0.0 video, #0.1 audio"},
        CliCase{"map to a missing input", With({"@h264_aac.mp4", "--map", "1=0", "--map", "0=1"}, kCopy), 1,
                "Could not find input stream #1.0: there is no input file 1 (1 input file, counted from 0)"},
        CliCase{"one map for an mp3, which gets a cover picture too",
                {"@h264_aac.mp4", "--map", "0=1", "-o", "%out.mp3"},
                1,
                "1 map for 2 output streams (#0.0 video (png, a cover picture), #0.1 audio (",
                "or leave a stream out with VideoOptions.VideoDisable=1"},
        CliCase{"the cover picture left out",
                {"@h264_aac.mp4", "--map", "0=1", "--set", "VideoOptions.VideoDisable=1", "-o", "%out.mp3"},
                0,
                "Done:"},
        CliCase{"map of the wrong kind", With({"@h264_aac.mp4", "--map", "0=1", "--map", "0=0"}, kCopy), 1,
                "Codec type mismatch for mapping #0.1 -> #0.0: the input stream is audio, the output stream "
                "video"},
        CliCase{"volume with audio copy",
                With({"@h264_aac.mp4", "--set", "AudioOptions.AudioVolume=128"}, kCopy), 1,
                "-acodec copy and -vol are incompatible (frames are not decoded)"},
        CliCase{"no output", {"@h264_aac.mp4", "--copy"}, 2, "no OUTPUT"},
        CliCase{"no input", {"--copy", "-o", "%out.mkv"}, 2, "no INPUT"},
        CliCase{"bad start", With({"@h264_aac.mp4", "--start", "soon"}, kCopy), 2, "--start"},
        CliCase{"unknown option path", With({"@h264_aac.mp4", "--set", "VideoOptions.Nope=1"}, kCopy), 2,
                "VideoOptions.Nope"},
        CliCase{"bad option value", With({"@h264_aac.mp4", "--set", "VideoOptions.FrameWidth=wide"}, kCopy),
                2, "not a valid value"},
        CliCase{"unknown switch", With({"@h264_aac.mp4", "--frobnicate"}, kCopy), 2, "frobnicate"}),
    [](const ::testing::TestParamInfo<CliCase>& info) { return "case" + std::to_string(info.index); });

TEST(ConvertCliRun, StartLengthAndMetadataFromTheCommandLine) {
    TempDir dir;
    const auto out = dir / "cut.mp4";
    const ProcessResult r = Vconv({Media("h264_aac.mp4").string(), "-o", out.string(), "--copy", "--start",
                                   "2", "--length", "3", "--metadata", "title=Cut"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("Done: " + out.string()), std::string::npos);
    EXPECT_NEAR(ProbeDuration(out), 3.0, 0.1);
    EXPECT_EQ(Ffprobe(out, {"-show_entries", "format_tags=title"}), "Cut\n");
    EXPECT_TRUE(DecodesCleanly(out));
}

TEST(ConvertCliRun, QuietPrintsNothingOnSuccess) {
    TempDir dir;
    const ProcessResult r =
        Vconv({Media("audio.mp3").string(), "-o", (dir / "a.mkv").string(), "--copy", "-q"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(ConvertCliRun, HelpDescribesTheOptions) {
    const ProcessResult r = Vconv({"--help"});
    EXPECT_EQ(r.exit_code, 0);
    for (const char* word : {"--copy", "--map", "--set", "--start", "--length", "--codec-option",
                             "--metadata", "--vf", "--threads", "--quiet", "130"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    const ProcessResult top = RunProcess(VconvPath().string(), {"--help"});
    EXPECT_NE(top.out.find("convert"), std::string::npos);
}

// Ctrl+C in the middle of a copy from a slow source (a pipe fed a little at a time): the program
// stops, finishes the output and exits with 130.
TEST(ConvertCliRun, InterruptStopsAndLeavesAPlayableFile) {
    std::signal(SIGPIPE, SIG_IGN);
    TempDir dir;
    const auto fifo = dir / "in.ts";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ifstream source(Media("mpeg2.ts"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    std::atomic<bool> stop_feeding{false};
    std::thread feeder([&] {
        int fd = open(fifo.c_str(), O_WRONLY);
        if (fd < 0)
            return;
        // The clip over and over, 16 KiB every 10 ms: about a second of picture per second.
        for (size_t pos = 0; !stop_feeding;) {
            const size_t n = std::min<size_t>(16384, bytes.size() - pos);
            if (write(fd, bytes.data() + pos, n) < 0)
                break;
            pos = (pos + n) % bytes.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        close(fd);
    });
    const auto out = dir / "out.mkv";
    QProcess vconv;
    vconv.start(QString::fromStdString(VconvPath().string()),
                {"convert", QString::fromStdString(fifo.string()), "-o", QString::fromStdString(out.string()),
                 "--copy", "--input-format", "mpegts"});
    ASSERT_TRUE(vconv.waitForStarted(10000));
    vconv.waitForFinished(2500); // let it convert for a while
    ASSERT_EQ(vconv.state(), QProcess::Running) << vconv.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(vconv.processId()), SIGINT);
    const bool finished = vconv.waitForFinished(20000);
    stop_feeding = true;
    feeder.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(vconv.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vconv.exitCode(), 130) << vconv.readAllStandardError().toStdString();
    std::string errors;
    EXPECT_TRUE(DecodesCleanly(out, &errors)) << errors;
    EXPECT_GT(ProbeDuration(out), 0.5);
}

} // namespace
} // namespace vc::test
