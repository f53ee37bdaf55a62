#include "engine/converter/legacy_filter_fragments.h"
#include "engine/media/filter_escape.h"
#include "support/test_env.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
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
    ::testing::Values(Case{"mp=rotate=90", "transpose=clock"}, Case{"mp=rotate=270", "transpose=cclock"},
                      Case{"mp=rotate=180", "hflip,vflip"},
                      Case{"mp=rotate=45", "rotate=45*PI/180:fillcolor=black"},
                      Case{" vflip,hflip ,mp=rotate=90", " vflip,hflip ,transpose=clock"},
                      Case{"vflip", "vflip"},
                      // Between quotes a backslash is text and the next quote ends them.
                      Case{"drawtext=text='it\\'\\''s \\, x',mp=rotate=90",
                           "drawtext=text='it\\'\\''s \\, x',transpose=clock"},
                      // A legacy subtitle fragment's file names are not escaped: it runs to "#enc$1".
                      Case{"ass=filename$/tmp/it's, a.srt#font$#color$0xff000000#enc$1,mp=rotate=90",
                           "subtitles=filename=/tmp/it\\\\\\\'s\\, "
                           "a.srt:force_style=PrimaryColour=&H000000FF,transpose=clock"},
                      // Colour 0xff000000 is pure red; no font file given.
                      Case{"ass=filename$/tmp/s.srt#font$#color$0xff000000#enc$1",
                           "subtitles=filename=/tmp/s.srt:force_style=PrimaryColour=&H000000FF"},
                      // An enclosed piece (it held spaces): spaces were doubled, backslashes too.
                      Case{" ass=filename$/tmp/my  subs:1\\\\x.srt#font$#color$0x000#codepage$GBK#enc$1 ",
                           "subtitles=filename=/tmp/my "
                           "subs\\\\:1\\\\\\\\x.srt:charenc=GBK:force_style=PrimaryColour=&H00000000"},
                      // A logo is a labelled graph of its own: filters after or before it become chains
                      // between fresh labels.
                      Case{" movie=/tmp/a.png  [wm];[in][wm]  overlay=10:20  [out] ,vflip",
                           "movie=/tmp/a.png  [vc0];[in][vc0]  overlay=10:20  [vc1];[vc1] vflip [out]"},
                      Case{"vflip,movie=/a.png [wm];[in][wm] overlay=1:2 [out]",
                           "[in] vflip [vc0];movie=/a.png [vc1];[vc0][vc1] overlay=1:2 [out]"},
                      Case{" movie=/a.png  [wm];[in][wm]  overlay=1:2  [out] ",
                           "movie=/a.png  [vc0];[in][vc0]  overlay=1:2  [out]"}));

TEST(LegacyFilterFragments, FontFileBecomesFontNameAndFolder) {
    std::string out = RewriteLegacyFilterFragments("ass=filename$/tmp/s.ass#font$/usr/share/fonts/truetype/"
                                                   "dejavu/DejaVuSans.ttf#color$0xffffff00#enc$1");
    EXPECT_NE(out.find("fontsdir=/usr/share/fonts/truetype/dejavu"), std::string::npos) << out;
    EXPECT_NE(out.find("FontName=DejaVu Sans\\,PrimaryColour=&H00FFFFFF"), std::string::npos) << out;
}

TEST(LegacyFilterFragments, LogosAndFiltersFormOneWorkingGraph) {
    test::TempDir dir;
    const std::string logo = (dir / "logo, one.png").string();
    ASSERT_EQ(test::RunProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:size=16x16",
                                          "-frames:v", "1", logo})
                  .exit_code,
              0);
    const std::string fragment = "movie=" + EscapeFilterArgument(logo) + " [wm];[in][wm] overlay=4:4 [out]";
    const std::string stored = "vflip," + fragment + ",mp=rotate=90," + fragment + ",hflip";
    const std::string graph_text = RewriteLegacyFilterFragments(stored);

    AVFilterGraph* graph = avfilter_graph_alloc();
    AVFilterContext* src = nullptr;
    AVFilterContext* sink = nullptr;
    ASSERT_GE(avfilter_graph_create_filter(&src, avfilter_get_by_name("buffer"), "src",
                                           "video_size=64x48:pix_fmt=yuv420p:time_base=1/25:pixel_aspect=1/1",
                                           nullptr, graph),
              0);
    ASSERT_GE(avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                           graph),
              0);
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = src;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    EXPECT_GE(avfilter_graph_parse_ptr(graph, graph_text.c_str(), &inputs, &outputs, nullptr), 0)
        << graph_text;
    EXPECT_GE(avfilter_graph_config(graph, nullptr), 0) << graph_text;
    // Rotated by 90 degrees on the way: the output is 48x64.
    EXPECT_EQ(av_buffersink_get_w(sink), 48);
    EXPECT_EQ(av_buffersink_get_h(sink), 64);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    avfilter_graph_free(&graph);
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
