#include "engine/converter/codec_lock.h"

namespace vc {

std::mutex& CodecLock() {
    static std::mutex lock;
    return lock;
}

} // namespace vc
