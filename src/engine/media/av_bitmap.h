#pragma once
// The picture handed to video-buffer handlers.
#include <cstdint>

namespace vc {

// A 32-bit BGRA picture, rows stored bottom-up, each row Width * 4 bytes. The bitmap does not own
// its pixels: the engine keeps them alive for the whole run of the stream it belongs to.
struct TAVBitmap {
    uint8_t* Bits = nullptr; // first stored row, which is the bottom row of the picture
    int Width = 0;           // pixels
    int Height = 0;          // pixels

    int Stride() const { return Width * 4; }
};

} // namespace vc
