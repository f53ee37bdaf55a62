#include "engine/preview/subtitle_overlay.h"

#include "engine/media/format_helpers.h"
#include "engine/media/rational.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <vector>

namespace vc {

void ConvertPaletteToYuv(AVSubtitle& sub) {
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        AVSubtitleRect* rect = sub.rects[i];
        if (!rect || !rect->data[1])
            continue;
        auto* palette = reinterpret_cast<uint32_t*>(rect->data[1]);
        for (int c = 0; c < rect->nb_colors; ++c) {
            const uint32_t v = palette[c];
            const int a = static_cast<int>(v >> 24), r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            const int y = RgbToYCcir(r, g, b), u = RgbToUCcir(r, g, b), w = RgbToVCcir(r, g, b);
            palette[c] = (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(y) << 16) |
                         (static_cast<uint32_t>(u) << 8) | static_cast<uint32_t>(w);
        }
    }
}

void DrawSubtitleRect(uint8_t* picture, int width, int height, TAVShowMode mode, const AVSubtitleRect& rect) {
    if (!picture || !rect.data[0] || !rect.data[1] || width <= 0 || height <= 0)
        return;
    const int w = Clamp(rect.w, 0, width);
    const int h = Clamp(rect.h, 0, height);
    const int x = Clamp(rect.x, 0, width - w);
    const int y = Clamp(rect.y, 0, height - h);
    const uint8_t* bitmap = rect.data[0];
    const auto* palette = reinterpret_cast<const uint32_t*>(rect.data[1]);
    const int line = rect.linesize[0];
    auto entry = [&](int i, int j) -> uint32_t {
        const uint8_t index = bitmap[j * line + i];
        return index < rect.nb_colors ? palette[index] : 0;
    };

    if (mode == smRgb32) {
        for (int j = 0; j < h; ++j) {
            uint8_t* row = picture + static_cast<size_t>(y + j) * width * 4;
            for (int i = 0; i < w; ++i) {
                const uint32_t e = entry(i, j);
                const int a = static_cast<int>(e >> 24);
                if (a == 0)
                    continue;
                uint8_t* px = row + static_cast<size_t>(x + i) * 4;
                px[0] = static_cast<uint8_t>(BlendValue(px[0], e & 0xFF, a, 0));
                px[1] = static_cast<uint8_t>(BlendValue(px[1], (e >> 8) & 0xFF, a, 0));
                px[2] = static_cast<uint8_t>(BlendValue(px[2], (e >> 16) & 0xFF, a, 0));
            }
        }
        return;
    }

    // YV12: Y plane, then V, then U, each chroma plane (width/2) x (height/2).
    for (int j = 0; j < h; ++j) {
        uint8_t* row = picture + static_cast<size_t>(y + j) * width;
        for (int i = 0; i < w; ++i) {
            const uint32_t e = entry(i, j);
            row[x + i] =
                static_cast<uint8_t>(BlendValue(row[x + i], (e >> 16) & 0xFF, static_cast<int>(e >> 24), 0));
        }
    }
    const int cw = width / 2, ch = height / 2;
    uint8_t* v_plane = picture + static_cast<size_t>(width) * height;
    uint8_t* u_plane = v_plane + static_cast<size_t>(cw) * ch;
    for (int by = y / 2; by <= (y + h - 1) / 2 && h > 0; ++by) {
        if (by >= ch)
            break;
        for (int bx = x / 2; bx <= (x + w - 1) / 2 && w > 0; ++bx) {
            if (bx >= cw)
                break;
            int count = 0, u_sum = 0, v_sum = 0, a_sum = 0;
            for (int py = 2 * by; py < 2 * by + 2; ++py) {
                for (int px = 2 * bx; px < 2 * bx + 2; ++px) {
                    if (px < x || px >= x + w || py < y || py >= y + h)
                        continue;
                    const uint32_t e = entry(px - x, py - y);
                    ++count;
                    a_sum += static_cast<int>(e >> 24);
                    u_sum += (e >> 8) & 0xFF;
                    v_sum += e & 0xFF;
                }
            }
            const int shift = count == 4 ? 2 : count == 2 ? 1 : 0;
            uint8_t& u = u_plane[static_cast<size_t>(by) * cw + bx];
            uint8_t& v = v_plane[static_cast<size_t>(by) * cw + bx];
            u = static_cast<uint8_t>(BlendValue(u, u_sum, a_sum >> 2, shift));
            v = static_cast<uint8_t>(BlendValue(v, v_sum, a_sum >> 2, shift));
        }
    }
}

void OverlaySubtitles(std::deque<std::unique_ptr<TFFSubtitle>>& queue, TFFSample& picture, int width,
                      int height, TAVShowMode mode) {
    while (!queue.empty()) {
        TFFSubtitle& sub = *queue.front();
        const double start = sub.Pts + sub.Sub.start_display_time / 1000.0;
        const double end = sub.Pts + sub.Sub.end_display_time / 1000.0;
        if (start <= picture.StartTime && end >= picture.StartTime) {
            for (unsigned i = 0; i < sub.Sub.num_rects; ++i)
                if (sub.Sub.rects[i])
                    DrawSubtitleRect(picture.Data.get(), width, height, mode, *sub.Sub.rects[i]);
            return;
        }
        if (end >= picture.StartTime)
            return; // not yet showing: keep it for a later picture
        queue.pop_front();
    }
}

bool DeinterlaceBottomFieldInPlace(AVFrame* frame) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR) ||
        (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM)))
        return false;
    for (int c = 0; c < desc->nb_components; ++c)
        if (desc->comp[c].depth != 8)
            return false;
    if (av_frame_make_writable(frame) < 0)
        return false;
    const auto fmt = static_cast<AVPixelFormat>(frame->format);
    const int planes = av_pix_fmt_count_planes(fmt);
    std::vector<uint8_t> above2, above1;
    for (int p = 0; p < planes; ++p) {
        const int rows =
            (p == 1 || p == 2) ? AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h) : frame->height;
        const int bytes = av_image_get_linesize(fmt, frame->width, p);
        if (rows < 3 || bytes <= 0)
            continue;
        uint8_t* base = frame->data[p];
        const int stride = frame->linesize[p];
        auto row = [&](int r) { return base + static_cast<ptrdiff_t>(Clamp(r, 0, rows - 1)) * stride; };
        // Only odd rows change and they are filtered top to bottom, so rows r+1 and r+2 are still
        // original; the original of row r-2 is kept in `above2`. At the edges the filter is
        // mirrored (the missing neighbour on one side takes the one on the other).
        for (int r = 1; r < rows; r += 2) {
            uint8_t* cur = row(r);
            const uint8_t* m1 = row(r - 1);
            const bool has_below = r + 1 < rows;
            const uint8_t* p1 = has_below ? row(r + 1) : m1;
            const uint8_t* m2 = r >= 3 ? above2.data() : (r + 2 < rows ? row(r + 2) : cur);
            const uint8_t* p2 = r + 2 < rows ? row(r + 2) : m2;
            above1.assign(cur, cur + bytes);
            for (int i = 0; i < bytes; ++i) {
                const int v = (-m2[i] + 4 * m1[i] + 2 * above1[i] + 4 * p1[i] - p2[i] + 4) >> 3;
                cur[i] = static_cast<uint8_t>(Clamp(v, 0, 255));
            }
            above2.swap(above1);
        }
    }
    return true;
}

} // namespace vc
