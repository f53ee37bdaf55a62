#pragma once
// The ranges of the conversion options, shared by every front end: a value outside them is refused
// before any work starts (or, read from a file, brought into range), instead of reaching the
// encoders as a crop error, a silent fallback or a run of thousands of threads.
#include <QString>
#include <optional>
#include <string>

namespace vc {

class TAVConvertOptions;

// Threads for each decoder and encoder, as the configuration offers them (0: the library's choice).
inline constexpr int kMaxThreadCount = 32;
// The largest picture side the encoders take.
inline constexpr int kMaxFrameSide = 16384;
// Sample rates the audio encoders take (0: the source's).
inline constexpr int kMinSampleRate = 1000;
inline constexpr int kMaxSampleRate = 384000;
inline constexpr int kMaxAudioChannels = 64;

// n brought into 0..kMaxThreadCount.
int ClampThreadCount(int n);

struct OptionOutOfBounds {
    QString path;      // the property path, e.g. "VideoOptions.FrameWidth"
    std::string value; // as the user gave it (seconds for times)
    std::string range; // "from 0 to 16384", "0 or more", ...
};

// The first option of `options` out of its range, or nothing.
std::optional<OptionOutOfBounds> FindOptionOutOfBounds(const TAVConvertOptions& options);

// "NAME is VALUE; it must be RANGE": the message for the user, NAME being how they gave the option.
std::string DescribeOutOfBounds(const OptionOutOfBounds& problem, const std::string& name);

} // namespace vc
