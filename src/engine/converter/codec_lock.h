#pragma once
// The process-wide codec lock: decoding, encoding, filter-source feeding and packet allocation and
// release of every conversion in the process happen one at a time. Opening and closing codecs,
// draining filter graphs, demuxing and muxing run without it.
#include <mutex>

namespace vc {

std::mutex& CodecLock();

} // namespace vc
