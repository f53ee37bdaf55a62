#pragma once
// Small text and number helpers shared by the engine, the model and the front ends.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vc {

// "%d:%d:%d" of hours (not wrapped at 24), minutes and seconds, no zero padding: 3725 -> "1:2:5".
// Negative inputs are shown with a leading minus sign rather than as negative fields.
std::string FormatSeconds(int64_t seconds);

// Integer parsing the way the user-facing lists expect it: optional surrounding blanks, an optional
// sign, decimal digits, or hexadecimal written "$1F" / "0x1F". Anything else (including "16.5") and
// values outside the 32-bit range give nullopt.
std::optional<int32_t> TryParseInt(std::string_view text);

// TryParseInt that throws vc::Error("'<text>' is not a valid integer value") on failure.
int32_t ParseInt(std::string_view text);

// The stream number of a "stream:<n>[.ext]" source name: drops the first "stream:" (exact case),
// then the file extension, and parses the rest. Throws vc::Error for anything that is not a number.
int StreamIndexFromUrl(std::string_view url);

// Exchanges the lowest and the third-lowest byte and clears the highest: a 0x00BBGGRR system colour
// to the 0xRRGGBB order of filter arguments, and back.
constexpr uint32_t SwapRedBlue(uint32_t color) {
    return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

template <typename T> constexpr T Clamp(T value, T low, T high) {
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

} // namespace vc
