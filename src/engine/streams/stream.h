#pragma once
// The byte-stream interface that "stream:" sources read from: a sequential, optionally seekable
// source of bytes living in this process (a DVD title range, for instance).
#include <cstdint>

namespace vc {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Copies up to `count` bytes into `buffer`; returns the bytes copied, 0 at the end of the data.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Read-only streams keep this: it throws vc::Error.
    virtual int32_t Write(const void* buffer, int32_t count);
    // Returns the new position, or -1 when the stream does not serve that kind of seek.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    // Size in bytes, or -1 when unknown.
    virtual int64_t GetSize() { return -1; }
};

} // namespace vc
