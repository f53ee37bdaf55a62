#pragma once
// The fixed tables behind the profile classes: frame sizes, display names, frame rates, and the
// FFmpeg names each enumeration value stands for.
#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"

#include <array>

namespace vc {

struct TFrameSize {
    const char* Caption;
    int Width;
    int Height;
};

struct TRationalValue {
    int num;
    int den;
};

extern const std::array<TFrameSize, 38> FrameSizeTable; // indexed by TAVFrameSize
extern const std::array<const char*, 9> VideoEncoderNames;
extern const std::array<const char*, 8> AudioEncoderNames;
extern const std::array<const char*, 18> FormatNames;
extern const std::array<const char*, 8> FrameRateNames;
extern const std::array<const char*, 2> ChannelNames;
extern const std::array<TRationalValue, 8> CustomFrameRates; // rOriginal: 0/0, not written
extern const std::array<TRationalValue, 3> TargetFrameRates; // indexed by TAVTarget

// FFmpeg names written by the custom profiles ("" for F_NONE: nothing is written).
extern const std::array<const char*, 8> AudioEncoderCodecNames;
extern const std::array<const char*, 9> VideoEncoderCodecNames;
extern const std::array<const char*, 18> FormatCodecNames;

} // namespace vc
