// Subtitle blending onto packed RGB32 and YV12 pictures, checked against a reference written
// independently here (chroma grouped per 2x2 block through a map rather than walked block-wise).
#include "engine/preview/subtitle_overlay.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace vc {
namespace {

struct Rectangle {
    int x, y, w, h;
};

// Owns the bitmap and palette a subtitle rectangle points at.
struct TestRect {
    std::vector<uint8_t> bitmap;
    std::vector<uint32_t> palette;
    AVSubtitleRect rect{};

    TestRect(Rectangle r, std::vector<uint32_t> colours, unsigned seed) : palette(std::move(colours)) {
        std::mt19937 rng(seed);
        bitmap.resize(static_cast<size_t>(r.w * r.h));
        for (auto& b : bitmap)
            b = static_cast<uint8_t>(rng() % palette.size());
        rect.x = r.x;
        rect.y = r.y;
        rect.w = r.w;
        rect.h = r.h;
        rect.nb_colors = static_cast<int>(palette.size());
        rect.data[0] = bitmap.data();
        rect.data[1] = reinterpret_cast<uint8_t*>(palette.data());
        rect.linesize[0] = r.w;
    }
};

std::vector<uint8_t> Picture(int bytes, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> p(static_cast<size_t>(bytes));
    for (auto& b : p)
        b = static_cast<uint8_t>(rng());
    return p;
}

int Blend(int o, int n, int a, int s) {
    return ((o << s) * (255 - a) + n * a) / (255 << s);
}

Rectangle Clip(Rectangle r, int width, int height) {
    auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
    r.w = clamp(r.w, 0, width);
    r.h = clamp(r.h, 0, height);
    r.x = clamp(r.x, 0, width - r.w);
    r.y = clamp(r.y, 0, height - r.h);
    return r;
}

const std::vector<uint32_t> kColours = {0x00000000, 0x80FF2010, 0xFF00FF00, 0x400000FF, 0xC0808080};

// Rectangles on a 9 x 7 picture: odd and even edges, and one sticking out to the right and below.
const Rectangle kRects[] = {{1, 2, 5, 3}, {0, 0, 4, 4}, {2, 1, 1, 1}, {7, 5, 5, 4}, {3, 3, 6, 4}};
constexpr int kWidth = 9, kHeight = 7;

TEST(SubtitleOverlay, Rgb32BlendsColourWhereAlphaIsSetAndKeepsTheFourthByte) {
    for (size_t k = 0; k < std::size(kRects); ++k) {
        TestRect t(kRects[k], kColours, static_cast<unsigned>(k));
        auto picture = Picture(kWidth * kHeight * 4, 100 + static_cast<unsigned>(k));
        auto expected = picture;
        const Rectangle c = Clip(kRects[k], kWidth, kHeight);
        for (int j = 0; j < c.h; ++j) {
            for (int i = 0; i < c.w; ++i) {
                const uint32_t e = t.palette[t.bitmap[static_cast<size_t>(j * kRects[k].w + i)]];
                const int a = static_cast<int>(e >> 24);
                if (a == 0)
                    continue;
                uint8_t* px = &expected[static_cast<size_t>(((c.y + j) * kWidth + c.x + i) * 4)];
                px[0] = static_cast<uint8_t>(Blend(px[0], e & 0xFF, a, 0));
                px[1] = static_cast<uint8_t>(Blend(px[1], (e >> 8) & 0xFF, a, 0));
                px[2] = static_cast<uint8_t>(Blend(px[2], (e >> 16) & 0xFF, a, 0));
            }
        }
        DrawSubtitleRect(picture.data(), kWidth, kHeight, smRgb32, t.rect);
        EXPECT_EQ(picture, expected) << "rectangle " << k;
    }
}

TEST(SubtitleOverlay, Yv12BlendsLumaPerPixelAndChromaPerBlockOfCoveredPixels) {
    const int cw = kWidth / 2, ch = kHeight / 2;
    const int size = kWidth * kHeight + 2 * cw * ch;
    for (size_t k = 0; k < std::size(kRects); ++k) {
        TestRect t(kRects[k], kColours, static_cast<unsigned>(k));
        AVSubtitle sub{};
        AVSubtitleRect* rects[] = {&t.rect};
        sub.num_rects = 1;
        sub.rects = rects;
        ConvertPaletteToYuv(sub);

        auto picture = Picture(size, 200 + static_cast<unsigned>(k));
        auto expected = picture;
        const Rectangle c = Clip(kRects[k], kWidth, kHeight);
        struct Sum {
            int n = 0, y_unused = 0, u = 0, v = 0, a = 0;
        };
        std::map<std::pair<int, int>, Sum> blocks;
        for (int j = 0; j < c.h; ++j) {
            for (int i = 0; i < c.w; ++i) {
                const uint32_t e = t.palette[t.bitmap[static_cast<size_t>(j * kRects[k].w + i)]];
                const int px = c.x + i, py = c.y + j;
                uint8_t& luma = expected[static_cast<size_t>(py * kWidth + px)];
                luma = static_cast<uint8_t>(Blend(luma, (e >> 16) & 0xFF, static_cast<int>(e >> 24), 0));
                Sum& s = blocks[{px / 2, py / 2}];
                ++s.n;
                s.u += (e >> 8) & 0xFF;
                s.v += e & 0xFF;
                s.a += static_cast<int>(e >> 24);
            }
        }
        for (const auto& [block, s] : blocks) {
            if (block.first >= cw || block.second >= ch)
                continue; // the odd last column or row has no chroma of its own
            ASSERT_TRUE(s.n == 1 || s.n == 2 || s.n == 4);
            const int shift = s.n == 4 ? 2 : s.n == 2 ? 1 : 0;
            const size_t at = static_cast<size_t>(block.second * cw + block.first);
            uint8_t& v = expected[static_cast<size_t>(kWidth * kHeight) + at];
            uint8_t& u = expected[static_cast<size_t>(kWidth * kHeight + cw * ch) + at];
            v = static_cast<uint8_t>(Blend(v, s.v, s.a >> 2, shift));
            u = static_cast<uint8_t>(Blend(u, s.u, s.a >> 2, shift));
        }
        DrawSubtitleRect(picture.data(), kWidth, kHeight, smYv12, t.rect);
        EXPECT_EQ(picture, expected) << "rectangle " << k;
    }
}

TEST(SubtitleOverlay, PaletteConvertsWithStudioRangeFixedPoint) {
    std::vector<uint32_t> palette = {0xFF000000, 0x80FFFFFF, 0x40FF0000, 0x0000FF00, 0xFF0000FF, 0xFF123456};
    std::vector<uint32_t> expected;
    for (uint32_t e : palette) {
        const int r = (e >> 16) & 0xFF, g = (e >> 8) & 0xFF, b = e & 0xFF;
        const int y = (263 * r + 516 * g + 100 * b + 16896) >> 10;
        const int u = ((-152 * r - 298 * g + 450 * b + 511) >> 10) + 128;
        const int v = ((450 * r - 377 * g - 73 * b + 511) >> 10) + 128;
        expected.push_back((e & 0xFF000000u) | static_cast<uint32_t>(y << 16 | u << 8 | v));
    }
    AVSubtitleRect rect{};
    rect.nb_colors = static_cast<int>(palette.size());
    rect.data[1] = reinterpret_cast<uint8_t*>(palette.data());
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle sub{};
    sub.num_rects = 1;
    sub.rects = rects;
    ConvertPaletteToYuv(sub);
    EXPECT_EQ(palette, expected);
    EXPECT_EQ(palette[0] & 0xFFFFFF, (16u << 16) | (128u << 8) | 128u); // black
}

// A subtitle with one opaque 1x1 rectangle of colour 0xFF0000 at (0,0), shown from `pts`.
std::unique_ptr<TFFSubtitle> Subtitle(double pts, uint32_t start_ms, uint32_t end_ms,
                                      std::vector<uint8_t>& bitmap, std::vector<uint32_t>& palette) {
    auto s = std::make_unique<TFFSubtitle>();
    s->Pts = pts;
    s->Sub.start_display_time = start_ms;
    s->Sub.end_display_time = end_ms;
    s->Sub.num_rects = 1;
    s->Sub.rects = static_cast<AVSubtitleRect**>(av_mallocz(sizeof(AVSubtitleRect*)));
    s->Sub.rects[0] = static_cast<AVSubtitleRect*>(av_mallocz(sizeof(AVSubtitleRect)));
    AVSubtitleRect* r = s->Sub.rects[0];
    r->w = r->h = 1;
    r->nb_colors = static_cast<int>(palette.size());
    // avsubtitle_free frees data[0] and data[1]: hand it copies of its own.
    r->data[0] = static_cast<uint8_t*>(av_memdup(bitmap.data(), bitmap.size()));
    r->data[1] = static_cast<uint8_t*>(av_memdup(palette.data(), palette.size() * 4));
    r->linesize[0] = 1;
    return s;
}

TEST(SubtitleOverlay, EndedSubtitlesAreDroppedUndrawnAndLaterOnesKept) {
    std::vector<uint8_t> bitmap = {0};
    std::vector<uint32_t> palette = {0xFFFF0000};
    std::deque<std::unique_ptr<TFFSubtitle>> queue;
    queue.push_back(Subtitle(0.0, 0, 500, bitmap, palette));  // over before the picture
    queue.push_back(Subtitle(1.0, 0, 1000, bitmap, palette)); // showing at 1.2
    queue.push_back(Subtitle(5.0, 0, 1000, bitmap, palette)); // later

    auto picture = TFFSample::Allocate(2 * 2 * 4);
    std::fill_n(picture->Data.get(), 16, uint8_t{0});
    picture->StartTime = 1.2;
    OverlaySubtitles(queue, *picture, 2, 2, smRgb32);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.front()->Pts, 1.0);
    EXPECT_EQ(picture->Data.get()[2], 255); // red drawn once, by the showing subtitle

    std::fill_n(picture->Data.get(), 16, uint8_t{0});
    picture->StartTime = 2.5;
    OverlaySubtitles(queue, *picture, 2, 2, smRgb32);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.front()->Pts, 5.0);
    EXPECT_EQ(picture->Data.get()[2], 0);
}

TEST(Deinterlace, BottomFieldIsRebuiltFromTheTopField) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = 8;
    frame->height = 8;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < 3; ++p) {
        const int rows = p == 0 ? 8 : 4;
        for (int r = 0; r < rows; ++r)
            std::fill_n(frame->data[p] + r * frame->linesize[p], p == 0 ? 8 : 4, r % 2 ? 200 : 100);
    }
    ASSERT_TRUE(DeinterlaceBottomFieldInPlace(frame.get()));
    for (int p = 0; p < 3; ++p) {
        const int rows = p == 0 ? 8 : 4;
        for (int r = 0; r < rows; ++r)
            EXPECT_EQ(frame->data[p][r * frame->linesize[p] + 1], 100) << "plane " << p << " row " << r;
    }
    FramePtr packed(av_frame_alloc());
    packed->format = AV_PIX_FMT_RGB24;
    packed->width = packed->height = 4;
    ASSERT_GE(av_frame_get_buffer(packed.get(), 0), 0);
    EXPECT_FALSE(DeinterlaceBottomFieldInPlace(packed.get()));
}

} // namespace
} // namespace vc
