#include "engine/converter/progress_math.h"

#include <climits>
#include <cmath>

namespace vc {

namespace {
// Nearest integer, halves to the even neighbour (nearbyint in the default rounding mode, which
// the program never changes).
double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

int ToPercent(double value) {
    if (!std::isfinite(value))
        return 0;
    double rounded = RoundHalfEven(value);
    if (rounded > INT_MAX)
        return INT_MAX;
    if (rounded < INT_MIN)
        return INT_MIN;
    return static_cast<int>(rounded);
}
} // namespace

int ComputeProgress(int64_t start_us, int64_t recording_us, double duration_s, double converted_s) {
    if (start_us <= 0 && duration_s * 1000000.0 <= static_cast<double>(recording_us))
        return duration_s > 0 ? ToPercent(converted_s / duration_s * 100.0) : 0;
    double length_us = RoundHalfEven(duration_s * 1000000.0) - static_cast<double>(start_us);
    if (static_cast<double>(recording_us) < length_us)
        length_us = static_cast<double>(recording_us);
    if (length_us <= 0)
        return 0;
    return ToPercent(converted_s * 100.0 * 1000000.0 / length_us);
}

int64_t ComputeElapsedSeconds(int64_t start_clock_us, int64_t last_clock_us) {
    return (last_clock_us - start_clock_us) / 1000000;
}

int64_t ComputeRemainingSeconds(int64_t elapsed_s, int progress) {
    if (progress <= 0)
        return kUnknownRemainingSeconds;
    return elapsed_s * (100 - progress) / progress;
}

} // namespace vc
