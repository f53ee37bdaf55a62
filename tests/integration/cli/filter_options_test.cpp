// The filter options of vconv convert draw the same pictures as ffmpeg with the equivalent current
// filters, including text that holds ":", "'", "\" and "%".
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace vc::test {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The "average:" figure of the psnr filter over all frames; 1000 when every picture is identical.
double Psnr(const std::filesystem::path& a, const std::filesystem::path& b) {
    const ProcessResult r = RunProcess("ffmpeg", {"-hide_banner", "-i", a.string(), "-i", b.string(),
                                                  "-lavfi", "[0:v][1:v]psnr", "-f", "null", "-"});
    std::smatch m;
    if (!std::regex_search(r.err, m, std::regex("average:([0-9.]+|inf)")))
        return -1;
    return m[1] == "inf" ? 1000 : std::stod(m[1]);
}

struct FilterCase {
    const char* what;
    std::vector<std::string> vconv_args;
    std::string ffmpeg_graph; // "%T" is the text file, "%L" the logo
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.what;
}

class FilterOptions : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterOptions, SamePicturesAsFfmpeg) {
    if (!std::filesystem::exists(kFont))
        GTEST_SKIP() << "no DejaVu font installed";
    const FilterCase& c = GetParam();
    TempDir dir;
    const std::string text = "at 10:30 it's C:\\dir 100%";
    std::ofstream(dir / "text.txt", std::ios::binary) << text;
    const std::filesystem::path logo = dir / "my logo, v2.png";
    ASSERT_EQ(RunProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1",
                                    logo.string()})
                  .exit_code,
              0);
    const std::string input = Media("h264_aac.mp4").string();
    const auto ours = dir / "ours.mkv";
    std::vector<std::string> args = {"convert",  input,  "-o",    ours.string(),
                                     "--vcodec", "ffv1", "--set", "AudioOptions.AudioDisable=1",
                                     "-q"};
    for (std::string a : c.vconv_args) {
        a = std::regex_replace(a, std::regex("%TEXT"), text);
        a = std::regex_replace(a, std::regex("%L"), logo.string());
        args.push_back(a);
    }
    const ProcessResult run = RunProcess(VconvPath().string(), args);
    if (run.err.find("re-encoding is not available") != std::string::npos)
        GTEST_SKIP() << "this build cannot re-encode yet";
    ASSERT_EQ(run.exit_code, 0) << run.err;

    std::string graph = c.ffmpeg_graph;
    graph = std::regex_replace(graph, std::regex("%T"), (dir / "text.txt").string());
    graph = std::regex_replace(graph, std::regex("%F"), kFont);
    graph = std::regex_replace(graph, std::regex("%L"),
                               std::regex_replace(logo.string(), std::regex(","), "\\,"));
    const auto theirs = dir / "theirs.mkv";
    const ProcessResult ref =
        RunProcess("ffmpeg", {"-v", "error", "-y", "-i", input, "-an", "-filter_complex", graph, "-c:v",
                              "ffv1", theirs.string()});
    ASSERT_EQ(ref.exit_code, 0) << ref.err;
    EXPECT_GE(Psnr(ours, theirs), 40.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterOptions,
    ::testing::Values(FilterCase{"text with colon, quote, backslash and percent",
                                 {"--text", "%TEXT", "--font", kFont, "--font-size", "20", "--font-color",
                                  "FFFF00", "--text-pos", "8,12"},
                                 "[0:v]drawtext=fontfile=%F:textfile=%T:expansion=none:x=8:y=12:fontsize=20:"
                                 "fontcolor=0xFFFF00FF:boxcolor=0x00000000"},
                      FilterCase{"flips and a box",
                                 {"--vflip", "--hflip", "--drawbox", "10,20,60,40,Red"},
                                 "[0:v]vflip,hflip,drawbox=10:20:60:40:Red"},
                      FilterCase{"logo whose name holds a space and a comma",
                                 {"--logo", "%L", "--logo-pos", "16,8"},
                                 "movie=%L[wm];[0:v][wm]overlay=16:8"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

} // namespace
} // namespace vc::test
