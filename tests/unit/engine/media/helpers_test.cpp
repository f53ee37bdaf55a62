#include "engine/media/av_bitmap.h"
#include "engine/media/format_helpers.h"
#include "engine/media/rational.h"
#include "engine/media/show_error.h"
#include "platform/error.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace vc {

TEST(FormatSeconds, HoursAreNotWrappedAndFieldsAreNotPadded) {
    const std::pair<int64_t, const char*> cases[] = {
        {3725, "1:2:5"}, {362439, "100:40:39"}, {59, "0:0:59"},
        {0, "0:0:0"},    {86400, "24:0:0"},     {-61, "-0:1:1"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
    EXPECT_EQ(FormatSeconds(INT64_MIN).substr(0, 1), "-"); // no overflow on the extreme value
}

TEST(TryParseInt, AcceptsDecimalAndHexRejectsFractionsAndOverflow) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"16", 16},
        {" -7 ", -7},
        {"+3", 3},
        {"$1F", 31},
        {"0x10", 16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", std::nullopt},
        {"16.5", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1 2", std::nullopt},
        {"abc", std::nullopt},
        {"0x", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TryParseInt(text), expected) << '"' << text << '"';
    try {
        ParseInt("x1");
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
}

TEST(StreamIndexFromUrl, DropsPrefixOnceAndExtension) {
    EXPECT_EQ(StreamIndexFromUrl("stream:12"), 12);
    EXPECT_EQ(StreamIndexFromUrl("stream:3.vob"), 3);
    EXPECT_EQ(StreamIndexFromUrl("7"), 7);
    // Exact case only, and only the first occurrence is removed.
    for (const char* bad : {"STREAM:3", "stream:stream:4", "stream:", "stream:x.vob", "stream:1.2.vob"})
        EXPECT_THROW(StreamIndexFromUrl(bad), Error) << bad;
}

TEST(SwapRedBlueAndClamp, Basics) {
    static_assert(SwapRedBlue(0x00112233u) == 0x00332211u);
    EXPECT_EQ(SwapRedBlue(0xFF112233u), 0x00332211u); // highest byte cleared
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00ABCDEFu)), 0x00ABCDEFu);
    EXPECT_EQ(Clamp(5, 0, 3), 3);
    EXPECT_EQ(Clamp(-5, 0, 3), 0);
    EXPECT_EQ(Clamp(2, 0, 3), 2);
    EXPECT_EQ(Clamp(1.5, 0.0, 1.0), 1.0);
}

TEST(Rational, ConversionsAndComparison) {
    EXPECT_DOUBLE_EQ(RationalToDouble({30000, 1001}), 30000.0 / 1001.0);
    const AVRational ntsc = DoubleToRational(29.97, 100000);
    EXPECT_EQ(ntsc.num, 2997);
    EXPECT_EQ(ntsc.den, 100);
    const AVRational third = DoubleToRational(1.0 / 3.0, 255);
    EXPECT_EQ(third.num, 1);
    EXPECT_EQ(third.den, 3);
    const AVRational pal = DoubleToRational(25.0, INT_MAX);
    EXPECT_EQ(pal.num, 25);
    EXPECT_EQ(pal.den, 1);
    EXPECT_EQ(DoubleToRational(NAN, 100).den, 0);
    EXPECT_EQ(CompareRationals({1, 2}, {2, 4}), 0);
    EXPECT_EQ(CompareRationals({1, 3}, {1, 2}), -1);
    EXPECT_EQ(CompareRationals({-1, 2}, {-1, 3}), -1);
    EXPECT_EQ(kMicrosecondTimeBase.num, 1);
    EXPECT_EQ(kMicrosecondTimeBase.den, 1000000);
}

TEST(CcirColour, MatchesStudioRangeFormulas) {
    EXPECT_EQ(RgbToYCcir(0, 0, 0), 16);
    EXPECT_EQ(RgbToYCcir(255, 255, 255), 235);
    EXPECT_EQ(RgbToUCcir(0, 0, 0), 128);
    EXPECT_EQ(RgbToVCcir(255, 255, 255), 128);
    // Primaries against the floating-point definition, within the fixed point's rounding.
    const int rgb[][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {12, 200, 99}};
    for (const auto& c : rgb) {
        const double r = c[0], g = c[1], b = c[2];
        const double y = 16 + (0.299 * r + 0.587 * g + 0.114 * b) * 219 / 255;
        const double u = 128 + (-0.16874 * r - 0.33126 * g + 0.5 * b) * 224 / 255;
        const double v = 128 + (0.5 * r - 0.41869 * g - 0.08131 * b) * 224 / 255;
        EXPECT_NEAR(RgbToYCcir(c[0], c[1], c[2]), y, 1.0);
        EXPECT_NEAR(RgbToUCcir(c[0], c[1], c[2]), u, 1.0);
        EXPECT_NEAR(RgbToVCcir(c[0], c[1], c[2]), v, 1.0);
    }
    // A 2x2 block summed (shift 2) gives the same chroma as one pixel of that colour.
    EXPECT_EQ(RgbToUCcir(4 * 12, 4 * 200, 4 * 99, 2), RgbToUCcir(12, 200, 99));
    EXPECT_EQ(RgbToVCcir(4 * 12, 4 * 200, 4 * 99, 2), RgbToVCcir(12, 200, 99));
}

TEST(ShowError, GoesToTheSinkAsAnErrorBox) {
    test::RecordingMessageSink sink;
    ShowError("bad thing");
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].text, "bad thing");
}

TEST(AVBitmap, RowStrideIsFourBytesPerPixel) {
    TAVBitmap bitmap;
    bitmap.Width = 642;
    EXPECT_EQ(bitmap.Stride(), 2568);
    EXPECT_EQ(bitmap.Bits, nullptr);
}

} // namespace vc
