#pragma once
// Rational helpers over the libraries' AVRational, and the fixed-point colour conversions the
// preview's subtitle renderer needs.
extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>

namespace vc {

// The time base of every option and clock in the program: microseconds.
inline constexpr AVRational kMicrosecondTimeBase{1, 1000000};

inline double RationalToDouble(AVRational r) {
    return av_q2d(r);
}

// The nearest rational whose numerator and denominator do not exceed `max` in magnitude.
// 0/0 for NaN, ±1/0 for infinities and values too large to represent.
inline AVRational DoubleToRational(double value, int max) {
    return av_d2q(value, max);
}

// -1, 0 or 1 like a < b, a == b, a > b; INT32_MIN when either has a zero denominator and a zero
// numerator (0/0 cannot be compared).
inline int CompareRationals(AVRational a, AVRational b) {
    return av_cmp_q(a, b);
}

// CCIR 601 (studio range) RGB to Y, U and V in 10-bit fixed point. `shift` sums `1 << shift`
// pixels into r, g and b for the chroma of a subsampled block (0 for one pixel).
namespace ccir {
inline constexpr int kScaleBits = 10;
inline constexpr int kOneHalf = 1 << (kScaleBits - 1);
constexpr int Fix(double x) {
    return static_cast<int>(x * (1 << kScaleBits) + 0.5);
}
} // namespace ccir

constexpr int RgbToYCcir(int r, int g, int b) {
    using namespace ccir;
    return (Fix(0.29900 * 219.0 / 255.0) * r + Fix(0.58700 * 219.0 / 255.0) * g +
            Fix(0.11400 * 219.0 / 255.0) * b + (kOneHalf + (16 << kScaleBits))) >>
           kScaleBits;
}

constexpr int RgbToUCcir(int r, int g, int b, int shift = 0) {
    using namespace ccir;
    return ((-Fix(0.16874 * 224.0 / 255.0) * r - Fix(0.33126 * 224.0 / 255.0) * g +
             Fix(0.50000 * 224.0 / 255.0) * b + (kOneHalf << shift) - 1) >>
            (kScaleBits + shift)) +
           128;
}

constexpr int RgbToVCcir(int r, int g, int b, int shift = 0) {
    using namespace ccir;
    return ((Fix(0.50000 * 224.0 / 255.0) * r - Fix(0.41869 * 224.0 / 255.0) * g -
             Fix(0.08131 * 224.0 / 255.0) * b + (kOneHalf << shift) - 1) >>
            (kScaleBits + shift)) +
           128;
}

} // namespace vc
