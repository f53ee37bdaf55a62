#include "engine/preview/picture_bgra.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace vc {

bool PictureToBgra::Convert(const PresentedPicture& p, uint8_t* out, int out_stride, int width, int height) {
    if (!p.data || p.width <= 0 || p.height <= 0 || p.stride <= 0 || width <= 0 || height <= 0)
        return false;
    const uint8_t* planes[4] = {};
    int strides[4] = {};
    AVPixelFormat format = AV_PIX_FMT_NONE;
    const int64_t luma = int64_t{p.stride} * p.height;
    if (p.format == SubType::YV12) {
        // Y, then V, then U, the chroma rows at half the luma stride.
        const int64_t chroma = int64_t{p.stride / 2} * ((p.height + 1) / 2);
        if (p.size < luma + 2 * chroma)
            return false;
        format = AV_PIX_FMT_YUV420P;
        planes[0] = p.data;
        planes[2] = p.data + luma;
        planes[1] = p.data + luma + chroma;
        strides[0] = p.stride;
        strides[1] = strides[2] = p.stride / 2;
    } else if (p.format == SubType::RGB32) {
        if (p.size < luma)
            return false;
        format = AV_PIX_FMT_BGR0;
        planes[0] = p.data;
        strides[0] = p.stride;
    } else {
        return false;
    }
    sws_.reset(sws_getCachedContext(sws_.release(), p.width, p.height, format, width, height, AV_PIX_FMT_BGRA,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!sws_)
        return false;
    uint8_t* out_planes[4] = {out, nullptr, nullptr, nullptr};
    const int out_strides[4] = {out_stride, 0, 0, 0};
    return sws_scale(sws_.get(), planes, strides, 0, p.height, out_planes, out_strides) == height;
}

} // namespace vc
