#pragma once
// Turns a picture the video renderer presents (YV12 or RGB32, in the renderer's buffer layout) into
// 32-bit BGRA rows, the layout of a QImage in Format_RGB32, at any size. One converter serves
// one thread (it keeps its scaler between pictures).
#include "engine/media/ff_handles.h"
#include "engine/preview/renderers.h"

#include <cstdint>

namespace vc {

class PictureToBgra {
public:
    // Scales `picture` into `width` x `height` BGRA pixels at `out` (rows `out_stride` bytes apart).
    // False for a picture it cannot read (an unknown format or a short buffer).
    bool Convert(const PresentedPicture& picture, uint8_t* out, int out_stride, int width, int height);

private:
    std::unique_ptr<SwsContext, SwsContextDeleter> sws_;
};

} // namespace vc
