#pragma once
// Drawing decoded bitmap subtitles onto the preview's packed pictures.
#include "engine/preview/av_config.h"
#include "engine/preview/ff_sample.h"

#include <deque>
#include <memory>

namespace vc {

// A new value `n` over an old value `o` with alpha `a`; `s` scales `o` for sums of 2^s values.
constexpr int BlendValue(int o, int n, int a, int s) {
    return ((o << s) * (255 - a) + n * a) / (255 << s);
}

// Palette entries 0xAARRGGBB to 0xAAYYUUVV (studio range), for drawing onto YV12 pictures.
void ConvertPaletteToYuv(AVSubtitle& sub);

// Draws one rectangle (index bitmap + palette) onto a packed picture of the given mode, clipped.
void DrawSubtitleRect(uint8_t* picture, int width, int height, TAVShowMode mode, const AVSubtitleRect& rect);

// Draws the subtitle showing at the picture's start time; subtitles that ended before it are
// dropped from the queue, later ones are kept.
void OverlaySubtitles(std::deque<std::unique_ptr<TFFSubtitle>>& queue, TFFSample& picture, int width,
                      int height, TAVShowMode mode);

// Replaces the bottom field of an interlaced planar 8-bit picture by a vertical filter over the
// top field, in place. Other pixel formats are left alone. Returns whether it filtered.
bool DeinterlaceBottomFieldInPlace(AVFrame* frame);

} // namespace vc
