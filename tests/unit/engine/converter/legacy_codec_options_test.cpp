#include "engine/converter/legacy_codec_options.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <gtest/gtest.h>

namespace vc {
namespace {

using Options = std::vector<LibraryOption>;

struct Case {
    const char* name;
    const char* value;
    Options expected;
    size_t notes;
};

class LegacyCodecOptionTest : public ::testing::TestWithParam<Case> {};

TEST_P(LegacyCodecOptionTest, RewritesIntoCurrentOptions) {
    const Case& c = GetParam();
    auto t = TranslateLegacyCodecOption(c.name, c.value);
    EXPECT_EQ(t.options, c.expected) << c.name << "=" << c.value;
    EXPECT_EQ(t.notes.size(), c.notes) << c.name << "=" << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    StoredProfiles, LegacyCodecOptionTest,
    ::testing::Values(
        // The H.264 presets of the stored profiles.
        Case{"flags2",
             "+mixed_refs+wpred+dct8x8+fastpskip+mbtree",
             {{"mixed-refs", "1"}, {"weightb", "1"}, {"8x8dct", "1"}, {"fast-pskip", "1"}, {"mbtree", "1"}},
             0},
        Case{"flags2",
             "-bpyramid-wpred-mixed_refs-dct8x8+fastpskip+mbtree",
             {{"b-pyramid", "none"},
              {"weightb", "0"},
              {"mixed-refs", "0"},
              {"8x8dct", "0"},
              {"fast-pskip", "1"},
              {"mbtree", "1"}},
             0},
        Case{
            "partitions", "+parti8x8+parti4x4+partp8x8+partb8x8", {{"partitions", "i8x8,i4x4,p8x8,b8x8"}}, 0},
        Case{"partitions", "-parti8x8-parti4x4-partp8x8-partp4x4-partb8x8", {{"partitions", "none"}}, 0},
        Case{"directpred", "3", {{"direct-pred", "auto"}}, 0}, Case{"cqp", "0", {{"qp", "0"}}, 0},
        Case{"me_method", "umh", {{"me_method", "umh"}}, 0},
        Case{"me_method", "epzs", {{"motion_est", "epzs"}}, 0},
        // Flags that still exist stay, moved ones become their own option, dead ones are noted.
        Case{"flags", "+loop", {{"flags", "+loop"}}, 0},
        Case{"flags", "bitexact", {{"flags", "bitexact"}}, 0},
        Case{"flags", "+scan_offset", {{"scan_offset", "1"}}, 0},
        Case{"flags", "+naq+qprd+loop", {{"flags", "+loop"}, {"mpv_flags", "+naq+qp_rd"}}, 0},
        Case{"flags2", "+brdo", {}, 1}, Case{"flags", "+nosuchflag", {}, 1},
        // Ordinary options pass through unchanged.
        Case{"g", "250", {{"g", "250"}}, 0}, Case{"level", "41", {{"level", "41"}}, 0}));

TEST(LegacyCodecOptions, TranslatedPresetOpensLibx264) {
    // The whole "basic" H.264 preset, as stored, must reach libx264 without a parse failure.
    const char* preset[][2] = {{"coder", "1"},
                               {"flags", "+loop"},
                               {"cmp", "+chroma"},
                               {"partitions", "+parti8x8+parti4x4+partp8x8+partb8x8"},
                               {"me_method", "hex"},
                               {"subq", "7"},
                               {"me_range", "16"},
                               {"g", "250"},
                               {"keyint_min", "25"},
                               {"sc_threshold", "40"},
                               {"i_qfactor", "0.71"},
                               {"b_strategy", "1"},
                               {"qcomp", "0.6"},
                               {"qmin", "10"},
                               {"qmax", "51"},
                               {"qdiff", "4"},
                               {"bf", "3"},
                               {"refs", "3"},
                               {"directpred", "1"},
                               {"trellis", "1"},
                               {"flags2", "+mixed_refs+wpred+dct8x8+fastpskip+mbtree"},
                               {"wpredp", "2"},
                               {"mbd", "rd"},
                               {"level", "41"}};
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    ASSERT_NE(codec, nullptr);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->width = 64;
    ctx->height = 64;
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->time_base = {1, 25};
    AVDictionary* dict = nullptr;
    for (auto& [name, value] : preset) {
        auto t = TranslateLegacyCodecOption(name, value);
        EXPECT_TRUE(t.notes.empty()) << name;
        for (const auto& o : t.options)
            av_dict_set(&dict, o.name.c_str(), o.value.c_str(), 0);
    }
    EXPECT_GE(avcodec_open2(ctx, codec, &dict), 0);
    EXPECT_EQ(av_dict_count(dict), 0) << "options the encoder did not take";
    av_dict_free(&dict);
    avcodec_free_context(&ctx);
}

TEST(LegacyCodecOptions, EncoderNames) {
    EXPECT_EQ(CurrentEncoderName("libfaac"), "aac");
    EXPECT_EQ(CurrentEncoderName("libmp3lame"), "libmp3lame");
}

} // namespace
} // namespace vc
