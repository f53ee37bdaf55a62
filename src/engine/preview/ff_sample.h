#pragma once
// The units the decoding thread queues for the pins: timed pictures or PCM blocks, and decoded
// bitmap subtitles.
#include "engine/media/ff_handles.h"

#include <cstdint>
#include <memory>
#include <new>

namespace vc {

struct TFFSample {
    std::unique_ptr<uint8_t, AvFreeDeleter> Data; // allocated with av_malloc
    double StartTime = 0;                         // seconds, loop offset included
    double StopTime = 0;
    int32_t Size = 0;
    int32_t Offset = 0;

    static std::unique_ptr<TFFSample> Allocate(int32_t size) {
        auto s = std::make_unique<TFFSample>();
        s->Data.reset(static_cast<uint8_t*>(av_malloc(static_cast<size_t>(size > 0 ? size : 1))));
        if (!s->Data)
            throw std::bad_alloc();
        s->Size = size;
        return s;
    }
};

struct TFFSubtitle {
    AVSubtitle Sub{};
    double Pts = 0; // seconds, loop offset included

    TFFSubtitle() = default;
    TFFSubtitle(const TFFSubtitle&) = delete;
    TFFSubtitle& operator=(const TFFSubtitle&) = delete;
    ~TFFSubtitle() { avsubtitle_free(&Sub); }
};

} // namespace vc
