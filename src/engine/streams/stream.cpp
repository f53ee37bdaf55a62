#include "engine/streams/stream.h"

#include "platform/error.h"

namespace vc {

int32_t TStream::Write(const void*, int32_t) {
    throw Error("Stream write error: this stream is read-only");
}

} // namespace vc
