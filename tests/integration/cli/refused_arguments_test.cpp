// Argument values vconv refuses before any work: exit 2, a message naming the option, no output
// file and no task left in the list.
#include "integration/cli/tasks_cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vc::test {
namespace {

struct Refused {
    const char* what;
    std::vector<std::string> args; // "@name" is a fixture, "%name" a file in the temporary folder
    const char* names;             // expected on stderr: the option
};

void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.what;
}

class RefusedArguments : public TaskCliTest, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedArguments, ExitTwoNamingTheOptionAndNothingIsRecorded) {
    const Refused& c = GetParam();
    std::vector<std::string> args;
    for (const auto& a : c.args) {
        if (!a.empty() && a[0] == '@')
            args.push_back(Media(a.substr(1)).string());
        else if (!a.empty() && a[0] == '%')
            args.push_back((dir_ / a.substr(1)).string());
        else
            args.push_back(a);
    }
    const ProcessResult r = Vconv(args);
    EXPECT_EQ(r.exit_code, 2) << r.err;
    EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
    for (const char* name : {"out.mkv", "out.mp4", "out"})
        EXPECT_FALSE(std::filesystem::exists(dir_ / name)) << name;
    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions"), 0);
}

const std::vector<std::string> kConvert{"convert", "@h264_aac.mp4", "-o", "%out.mkv"};
std::vector<std::string> Convert(const std::vector<std::string>& more) {
    std::vector<std::string> a = kConvert;
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedArguments,
    ::testing::Values(
        Refused{"length 0", Convert({"--copy", "--length", "0"}), "--length"},
        Refused{"negative length", Convert({"--copy", "--length", "-1"}), "--length"},
        Refused{"negative start", Convert({"--start", "-5"}), "--start"},
        Refused{"start past the end", Convert({"--copy", "--start", "100"}), "--start"},
        Refused{"start at the end", Convert({"--start", "5"}), "--start"},
        Refused{"too many threads", Convert({"--threads", "10000"}), "--threads"},
        Refused{"negative threads", Convert({"--threads", "-1"}), "--threads"},
        Refused{"threads through --set", Convert({"--set", "ThreadCount=33"}), "--set ThreadCount"},
        Refused{"negative width", Convert({"--set", "VideoOptions.FrameWidth=-320"}),
                "VideoOptions.FrameWidth"},
        Refused{"huge width", Convert({"--set", "VideoOptions.FrameWidth=100000"}),
                "VideoOptions.FrameWidth"},
        Refused{"negative height", Convert({"--set", "VideoOptions.FrameHeight=-2"}),
                "VideoOptions.FrameHeight"},
        Refused{"negative sample rate", Convert({"--set", "AudioOptions.AudioSampleRate=-5"}),
                "AudioOptions.AudioSampleRate"},
        Refused{"tiny sample rate", Convert({"--set", "AudioOptions.AudioSampleRate=5"}),
                "AudioOptions.AudioSampleRate"},
        Refused{"negative channels", Convert({"--set", "AudioOptions.AudioChannels=-1"}),
                "AudioOptions.AudioChannels"},
        Refused{"negative bit rate", Convert({"--set", "VideoOptions.Bitrate=-1"}), "VideoOptions.Bitrate"},
        Refused{"output is the input",
                {"convert", "@h264_aac.mp4", "-o", Media("h264_aac.mp4").string(), "--copy"},
                "is the input"},
        Refused{"output folder without a profile",
                {"convert", "@h264_aac.mp4", "-o", "%out/", "--copy"},
                "folder"},
        Refused{"a description two categories hold", Convert({"--profile", "MPEG-4 Video (*.mp4)"}),
                "--profile-category"},
        Refused{"unknown profile with blanks only", Convert({"--profile", "  "}), "no profile named"}),
    [](const ::testing::TestParamInfo<Refused>& info) { return "case" + std::to_string(info.index); });

// The name as `vconv profiles` shows it (the catalogue's text begins with a blank) finds the
// profile; an OUTPUT ending in '/' is a folder made for it, a name without extension gets the
// profile's.
TEST_F(TaskCliTest, ProfileNamesWithoutBlanksAndOutputsCompletedByTheProfile) {
    const std::string clip = Media("h264_aac.mp4").string();
    const ProcessResult folder = Vconv({"convert", clip, "-o", (dir_ / "new/").string(), "--profile",
                                        "Matroska Video (*.MKV)", "--length", "1", "-q"});
    EXPECT_EQ(folder.exit_code, 0) << folder.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "new/h264_aac.mkv"));
    const ProcessResult file = Vconv({"convert", clip, "-o", (dir_ / "named").string(), "--profile",
                                      "  matroska video (*.mkv) ", "--length", "1", "-q"});
    EXPECT_EQ(file.exit_code, 0) << file.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "named.mkv"));
}

} // namespace
} // namespace vc::test
