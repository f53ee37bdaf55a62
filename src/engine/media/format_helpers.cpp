#include "engine/media/format_helpers.h"

#include "platform/error.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace vc {

std::string FormatSeconds(int64_t seconds) {
    const bool negative = seconds < 0;
    // Work on the magnitude as unsigned so that INT64_MIN cannot overflow.
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(seconds) : static_cast<uint64_t>(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%s%llu:%llu:%llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 3600),
                  static_cast<unsigned long long>(magnitude / 60 % 60),
                  static_cast<unsigned long long>(magnitude % 60));
    return text;
}

std::optional<int32_t> TryParseInt(std::string_view text) {
    auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t ParseInt(std::string_view text) {
    if (auto value = TryParseInt(text))
        return *value;
    throw Error("'" + std::string(text) + "' is not a valid integer value");
}

int StreamIndexFromUrl(std::string_view url) {
    std::string rest(url);
    if (auto at = rest.find("stream:"); at != std::string::npos)
        rest.erase(at, 7);
    // The extension starts at the last dot that is not followed by a path separator.
    if (auto dot = rest.find_last_of("./\\"); dot != std::string::npos && rest[dot] == '.')
        rest.erase(dot);
    return ParseInt(rest);
}

} // namespace vc
