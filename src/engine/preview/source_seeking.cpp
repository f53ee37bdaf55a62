#include "engine/preview/source_seeking.h"

namespace vc {

HResult TBCSourceSeeking::GetCapabilities(uint32_t* capabilities) const {
    if (!capabilities)
        return E_POINTER;
    *capabilities = capabilities_;
    return S_OK;
}

HResult TBCSourceSeeking::CheckCapabilities(uint32_t* capabilities) const {
    if (!capabilities)
        return E_POINTER;
    return (*capabilities & ~capabilities_) ? S_FALSE : S_OK;
}

HResult TBCSourceSeeking::IsFormatSupported(TimeFormat format) const {
    return format == TimeFormat::MediaTime ? S_OK : S_FALSE;
}

HResult TBCSourceSeeking::QueryPreferredFormat(TimeFormat* format) const {
    if (!format)
        return E_POINTER;
    *format = TimeFormat::MediaTime;
    return S_OK;
}

HResult TBCSourceSeeking::GetTimeFormat(TimeFormat* format) const {
    return QueryPreferredFormat(format);
}

HResult TBCSourceSeeking::IsUsingTimeFormat(TimeFormat format) const {
    return format == TimeFormat::MediaTime ? S_OK : S_FALSE;
}

HResult TBCSourceSeeking::SetTimeFormat(TimeFormat format) {
    return format == TimeFormat::MediaTime ? S_OK : E_INVALIDARG;
}

HResult TBCSourceSeeking::GetDuration(RefTime* duration) {
    if (!duration)
        return E_POINTER;
    std::lock_guard lock(seek_lock_);
    *duration = duration_;
    return S_OK;
}

HResult TBCSourceSeeking::GetStopPosition(RefTime* stop) {
    if (!stop)
        return E_POINTER;
    std::lock_guard lock(seek_lock_);
    *stop = stop_;
    return S_OK;
}

HResult TBCSourceSeeking::GetCurrentPosition(RefTime*) {
    return E_NOTIMPL;
}

HResult TBCSourceSeeking::ConvertTimeFormat(RefTime* target, const TimeFormat* target_format, RefTime source,
                                            const TimeFormat* source_format) {
    if (!target)
        return E_POINTER;
    if ((target_format && *target_format != TimeFormat::MediaTime) ||
        (source_format && *source_format != TimeFormat::MediaTime))
        return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HResult TBCSourceSeeking::SetPositions(RefTime* current, uint32_t current_flags, RefTime* stop,
                                       uint32_t stop_flags) {
    const uint32_t current_bits = current_flags & AM_SEEKING_PositioningBitsMask;
    if (stop_flags != 0 && (stop_flags & ~AM_SEEKING_PositioningBitsMask) != 0)
        return E_INVALIDARG;
    if (current_flags != 0 && current_bits != AM_SEEKING_AbsolutePositioning &&
        current_bits != AM_SEEKING_RelativePositioning)
        return E_INVALIDARG;
    if ((current_bits && !current) || (stop_flags && !stop))
        return E_POINTER;
    {
        std::lock_guard lock(seek_lock_);
        if (current_bits == AM_SEEKING_AbsolutePositioning) {
            previous_start_ = start_;
            start_ = *current;
        } else if (current_bits == AM_SEEKING_RelativePositioning) {
            previous_start_ = start_;
            start_ += *current;
        }
        switch (stop_flags) {
        case AM_SEEKING_AbsolutePositioning: stop_ = *stop; break;
        case AM_SEEKING_RelativePositioning: stop_ += *stop; break;
        case AM_SEEKING_IncrementalPositioning: stop_ = start_ + *stop; break;
        default: break;
        }
    }
    HResult stop_result = S_OK;
    if (stop_flags)
        stop_result = ChangeStop();
    if (current_bits)
        return ChangeStart();
    return stop_result;
}

HResult TBCSourceSeeking::GetPositions(RefTime* current, RefTime* stop) {
    std::lock_guard lock(seek_lock_);
    if (current)
        *current = start_;
    if (stop)
        *stop = stop_;
    return S_OK;
}

HResult TBCSourceSeeking::GetAvailable(RefTime* earliest, RefTime* latest) {
    if (earliest)
        *earliest = 0;
    if (latest) {
        std::lock_guard lock(seek_lock_);
        *latest = duration_;
    }
    return S_OK;
}

HResult TBCSourceSeeking::SetRate(double rate) {
    {
        std::lock_guard lock(seek_lock_);
        rate_ = rate;
    }
    return ChangeRate();
}

HResult TBCSourceSeeking::GetRate(double* rate) {
    if (!rate)
        return E_POINTER;
    std::lock_guard lock(seek_lock_);
    *rate = rate_;
    return S_OK;
}

HResult TBCSourceSeeking::GetPreroll(RefTime* preroll) {
    if (!preroll)
        return E_POINTER;
    *preroll = 0;
    return S_OK;
}

RefTime TBCSourceSeeking::StartPosition() {
    std::lock_guard lock(seek_lock_);
    return start_;
}

RefTime TBCSourceSeeking::PreviousStartPosition() {
    std::lock_guard lock(seek_lock_);
    return previous_start_;
}

} // namespace vc
