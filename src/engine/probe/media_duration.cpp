#include "engine/probe/media_duration.h"

#include "engine/streams/stream_source.h"

namespace vc {

std::optional<long long> MediaDurationUs(const std::string& url) {
    InputContext in;
    if (OpenInput(in, url, nullptr, nullptr, nullptr) < 0)
        return std::nullopt;
    if (avformat_find_stream_info(in.get(), nullptr) < 0 || in->duration == AV_NOPTS_VALUE ||
        in->duration <= 0)
        return std::nullopt;
    return in->duration;
}

} // namespace vc
