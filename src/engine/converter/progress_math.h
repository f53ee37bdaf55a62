#pragma once
// The arithmetic behind a converter's Progress, ElapsedSeconds and RemainingSeconds.
#include <cstdint>

namespace vc {

// Whole percent of the planned output written so far, from the start position `start_us`, the
// recording length `recording_us`, the input duration `duration_s` and the output written
// `converted_s`. Without a start position and with a recording length that covers the whole
// input, the share of the input's duration; otherwise the share of the length actually planned
// (the rest of the input after the start, shortened to the recording length). Rounded half to
// even and not clamped to 0..100; 0 when there is nothing to measure against.
int ComputeProgress(int64_t start_us, int64_t recording_us, double duration_s, double converted_s);

// The elapsed whole seconds between two microsecond clock values.
int64_t ComputeElapsedSeconds(int64_t start_clock_us, int64_t last_clock_us);

// Seconds still to go at the rate so far; 362439 (shown as 100:40:39) stands for "unknown" while
// nothing is done yet.
inline constexpr int64_t kUnknownRemainingSeconds = 362439;
int64_t ComputeRemainingSeconds(int64_t elapsed_s, int progress);

} // namespace vc
