#pragma once
// The seeking side of the preview source: start, stop and duration in 100 ns units under the seek
// lock, and the seeking operations the graph calls when the user moves the position slider.
#include "engine/preview/source_stream.h"

#include <mutex>

namespace vc {

enum class TimeFormat { None, MediaTime, Frame, Sample, Field, Byte };

// Positioning flags of SetPositions.
inline constexpr uint32_t AM_SEEKING_NoPositioning = 0;
inline constexpr uint32_t AM_SEEKING_AbsolutePositioning = 1;
inline constexpr uint32_t AM_SEEKING_RelativePositioning = 2;
inline constexpr uint32_t AM_SEEKING_IncrementalPositioning = 3;
inline constexpr uint32_t AM_SEEKING_PositioningBitsMask = 3;
inline constexpr uint32_t AM_SEEKING_SeekToKeyFrame = 4;
inline constexpr uint32_t AM_SEEKING_ReturnTime = 8;

// Capabilities: absolute, forwards, backwards, get stop position, get duration.
inline constexpr uint32_t kSeekingCapabilities = 0x37;

class TBCSourceSeeking : public BaseFilter {
public:
    explicit TBCSourceSeeking(std::string name) : BaseFilter(std::move(name)) {}

    HResult GetCapabilities(uint32_t* capabilities) const;
    HResult CheckCapabilities(uint32_t* capabilities) const;
    HResult IsFormatSupported(TimeFormat format) const;
    HResult QueryPreferredFormat(TimeFormat* format) const;
    HResult GetTimeFormat(TimeFormat* format) const;
    HResult IsUsingTimeFormat(TimeFormat format) const;
    HResult SetTimeFormat(TimeFormat format);
    HResult GetDuration(RefTime* duration);
    HResult GetStopPosition(RefTime* stop);
    HResult GetCurrentPosition(RefTime* current);
    HResult ConvertTimeFormat(RefTime* target, const TimeFormat* target_format, RefTime source,
                              const TimeFormat* source_format);
    HResult SetPositions(RefTime* current, uint32_t current_flags, RefTime* stop, uint32_t stop_flags);
    HResult GetPositions(RefTime* current, RefTime* stop);
    HResult GetAvailable(RefTime* earliest, RefTime* latest);
    HResult SetRate(double rate);
    HResult GetRate(double* rate);
    HResult GetPreroll(RefTime* preroll);

    // Snapshot of the positions, for callers outside the seek lock.
    RefTime StartPosition();
    RefTime PreviousStartPosition();

protected:
    virtual HResult ChangeStart() { return S_OK; }
    virtual HResult ChangeStop() { return S_OK; }
    virtual HResult ChangeRate() { return S_OK; }

    // The seek lock guards every field below (and the source's seek flags).
    std::mutex seek_lock_;
    RefTime duration_ = kMaxRefTime;
    RefTime single_pass_duration_ = 0;
    RefTime start_ = 0;
    RefTime previous_start_ = 0;
    RefTime stop_ = kMaxRefTime;
    double rate_ = 1.0;
    uint32_t capabilities_ = kSeekingCapabilities;
    MediaType file_media_type_;
};

} // namespace vc
