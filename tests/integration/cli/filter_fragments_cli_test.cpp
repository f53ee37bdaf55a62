// The picture filters of vconv convert (logo, text, burnt-in subtitles, flips, rotation, box)
// against the ffmpeg program applying today's filters for the same effect: the two pictures agree
// within 40 dB PSNR on every frame of a one-second clip.
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vc::test {
namespace {

const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Writes `text` into `dir`/`name` and returns the path.
std::string Write(const TempDir& dir, const std::string& name, const std::string& text) {
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// The lowest PSNR of any frame between two files, from the ffmpeg program's psnr filter.
double MinPsnr(const std::filesystem::path& a, const std::filesystem::path& b, const TempDir& dir) {
    const auto stats = dir / "psnr.log";
    const ProcessResult r =
        RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", a.string(), "-i", b.string(), "-lavfi",
                              "[0:v][1:v]psnr=stats_file=" + stats.string(), "-f", "null", "-"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::ifstream in(stats);
    double lowest = 1e9;
    int frames = 0;
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("psnr_avg:");
        if (at == std::string::npos)
            continue;
        ++frames;
        const std::string value = line.substr(at + 9, line.find(' ', at) - at - 9);
        lowest = std::min(lowest, value == "inf" ? 1e9 : std::atof(value.c_str()));
    }
    EXPECT_GE(frames, 24) << "frames compared";
    return lowest;
}

struct FilterCase {
    const char* what;
    std::vector<std::string> vconv; // options; "%name" is a file of the case's folder
    std::string reference;          // the ffmpeg program's -vf; "%name" as above
};

TEST(FilterFragments, MatchTheCurrentFiltersOnEveryFrame) {
    if (!std::filesystem::exists(kFont))
        GTEST_SKIP() << "no DejaVu font installed";
    TempDir dir;
    const std::string font_dir = std::filesystem::path(kFont).parent_path().string();
    Write(dir, "subs.srt", "1\n00:00:00,100 --> 00:00:00,900\nCaf\xe9: \"quoted\" line\n");
    Write(dir, "subs.ass",
          "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
          "Format: Name, Fontname, Fontsize, PrimaryColour, Bold, Italic, Alignment, MarginV\n"
          "Style: Default,DejaVu Sans,24,&H00FFFFFF,0,0,2,10\n\n[Events]\n"
          "Format: Layer, Start, End, Style, Text\n"
          "Dialogue: 0,0:00:00.10,0:00:00.90,Default,Styled: it's here\n");
    Write(dir, "text.txt", "Time: it's 5");
    ASSERT_EQ(
        RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=c=red:s=40x30:d=0.04",
                              "-frames:v", "1", (dir / "logo.png").string()})
            .exit_code,
        0);
    const FilterCase cases[] = {
        {"vflip", {"--vflip"}, "vflip"},
        {"hflip", {"--hflip"}, "hflip"},
        {"rotate 90", {"--rotate", "90"}, "transpose=clock"},
        {"rotate 30", {"--rotate", "30"}, "rotate=30*PI/180:fillcolor=black"},
        {"drawbox", {"--drawbox", "10,20,100,50,Red"}, "drawbox=x=10:y=20:w=100:h=50:color=red"},
        {"text with colon and quote",
         {"--text", "Time: it's 5", "--font", kFont, "--font-size", "20", "--text-pos", "10,10",
          "--font-color", "FFFF00"},
         std::string("drawtext=fontfile=") + kFont +
             ":textfile=%text.txt:x=10:y=10:fontsize=20:fontcolor=0xFFFF00FF"},
        {"srt subtitles with font, colour and charset",
         {"--subtitles", "%subs.srt", "--subtitle-font", kFont, "--subtitle-color", "00FF00", "--codepage",
          "cp1252"},
         "subtitles=filename=%subs.srt:charenc=cp1252:fontsdir=" + font_dir +
             ":force_style='FontName=DejaVu Sans,PrimaryColour=&H0000FF00'"},
        {"ass subtitles",
         {"--subtitles", "%subs.ass", "--subtitle-font", kFont},
         "subtitles=filename=%subs.ass"},
        {"logo", {"--logo", "%logo.png", "--logo-pos", "20,30"}, "movie=%logo.png[wm];[in][wm]overlay=20:30"},
    };
    auto expand = [&](std::string s) {
        for (size_t at; (at = s.find('%')) != std::string::npos;) {
            size_t end = at + 1;
            while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '.'))
                ++end;
            s.replace(at, end - at, (dir / s.substr(at + 1, end - at - 1)).string());
        }
        return s;
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto ours = dir / "ours.mkv";
        const auto theirs = dir / "theirs.mkv";
        std::vector<std::string> args{"convert",  Media("h264_aac.mp4").string(),
                                      "-o",       ours.string(),
                                      "-q",       "--no-history",
                                      "-y", // one output, replaced case by case
                                      "--length", "1",
                                      "--vcodec", "ffv1",
                                      "--set",    "AudioOptions.AudioDisable=true"};
        for (const auto& a : c.vconv)
            args.push_back(a[0] == '%' ? expand(a) : a);
        const ProcessResult r = RunProcess(VconvPath().string(), args);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const ProcessResult f =
            RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", Media("h264_aac.mp4").string(), "-t",
                                  "1", "-an", "-vf", expand(c.reference), "-c:v", "ffv1", theirs.string()});
        ASSERT_EQ(f.exit_code, 0) << f.err;
        EXPECT_GE(MinPsnr(ours, theirs, dir), 40.0);
    }
}

} // namespace
} // namespace vc::test
