#include "engine/converter/legacy_filter_fragments.h"
#include "engine/media/filter_escape.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/opt.h>
}

#include <gtest/gtest.h>

namespace vc {
namespace {

struct Case {
    const char* stored;
    const char* current;
};

class LegacyFilterFragmentTest : public ::testing::TestWithParam<Case> {};

TEST_P(LegacyFilterFragmentTest, Rewrites) {
    EXPECT_EQ(RewriteLegacyFilterFragments(GetParam().stored), GetParam().current);
}

INSTANTIATE_TEST_SUITE_P(
    StoredGraphs, LegacyFilterFragmentTest,
    ::testing::Values(
        Case{"mp=rotate=90", "transpose=clock"},
        Case{"mp=rotate=270", "transpose=cclock"},
        Case{"mp=rotate=180", "hflip,vflip"},
        Case{"mp=rotate=45", "rotate=45*PI/180:fillcolor=black"},
        Case{" vflip,hflip ,mp=rotate=90", " vflip,hflip ,transpose=clock"},
        Case{"vflip", "vflip"},
        Case{" movie=/tmp/a.png  [wm];[in][wm]  overlay=10:20  [out] ,vflip",
             " movie=/tmp/a.png  [wm];[in][wm]  overlay=10:20  [out] ,vflip"},
        // Colour 0xff000000 is pure red; no font file given.
        Case{"ass=filename$/tmp/s.srt#font$#color$0xff000000#enc$1",
             "subtitles=filename=/tmp/s.srt:force_style=PrimaryColour=&H000000FF"},
        // An enclosed piece (it held spaces): spaces were doubled, backslashes too.
        Case{" ass=filename$/tmp/my  subs:1\\\\x.srt#font$#color$0x000#codepage$GBK#enc$1 ",
             "subtitles=filename=/tmp/my subs\\\\:1\\\\\\\\x.srt:charenc=GBK:force_style=PrimaryColour=&H00000000"}));

TEST(LegacyFilterFragments, FontFileBecomesFontNameAndFolder) {
    std::string out = RewriteLegacyFilterFragments(
        "ass=filename$/tmp/s.ass#font$/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf#color$0xffffff00#enc$1");
    EXPECT_NE(out.find("fontsdir=/usr/share/fonts/truetype/dejavu"), std::string::npos) << out;
    EXPECT_NE(out.find("FontName=DejaVu Sans\\,PrimaryColour=&H00FFFFFF"), std::string::npos) << out;
}

TEST(FilterEscape, ValuesSurviveBothParsers) {
    // A value with every troublesome character, parsed back by libavfilter, is the value typed.
    const std::string typed = "it's a:b,c[d];e\\f g ";
    std::string graph = "drawtext=text=" + EscapeFilterArgument(typed);
    AVFilterGraph* g = avfilter_graph_alloc();
    AVFilterInOut* in = nullptr;
    AVFilterInOut* out = nullptr;
    ASSERT_GE(avfilter_graph_parse2(g, graph.c_str(), &in, &out), 0) << graph;
    ASSERT_EQ(g->nb_filters, 1u);
    // drawtext without a font would fail to initialise, so read the option back from the
    // filter's private context instead of running it.
    uint8_t* text = nullptr;
    ASSERT_GE(av_opt_get(g->filters[0]->priv, "text", 0, &text), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text)), typed);
    av_free(text);
    avfilter_inout_free(&in);
    avfilter_inout_free(&out);
    avfilter_graph_free(&g);
}

} // namespace
} // namespace vc
