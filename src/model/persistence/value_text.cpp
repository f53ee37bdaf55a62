#include "model/persistence/value_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <vector>

namespace vc::persistence {

namespace {

constexpr int kSignificantDigits = 15;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// strtod in the "C" locale, made once: strtod alone follows LC_NUMERIC.
locale_t CLocale() {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return c_locale;
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

std::string FloatToText(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // d.dddddddddddddde±x: the value rounded to 15 significant digits, whatever the locale.
    char buf[64];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, kSignificantDigits - 1);
    (void)ec; // 64 bytes always suffice
    std::string_view sci(buf, static_cast<size_t>(end - buf));
    const bool negative = sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    const size_t e_pos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e_pos))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(sci.data() + e_pos + 1 + (sci[e_pos + 1] == '+' ? 1 : 0), sci.data() + sci.size(),
                    exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < kSignificantDigits) {
        if (exponent >= 0) {
            const size_t int_digits = static_cast<size_t>(exponent) + 1;
            if (digits.size() <= int_digits) {
                out += digits;
                out.append(int_digits - digits.size(), '0');
            } else {
                out += digits.substr(0, int_digits);
                out += '.';
                out += digits.substr(int_digits);
            }
        } else {
            out += "0.";
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

std::optional<double> TextToFloat(const std::string& text) {
    std::string s(Trimmed(text));
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double value = strtod_l(s.c_str(), &end, CLocale());
    if (end != s.c_str() + s.size())
        return std::nullopt;
    if (errno == ERANGE && std::isinf(value))
        value = std::copysign(std::numeric_limits<double>::max(), value);
    return value;
}

float NarrowToSingle(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > kMax)
        return static_cast<float>(std::copysign(kMax, value));
    return static_cast<float>(value);
}

std::optional<long long> TextToInteger(const std::string& text, long long min, long long max) {
    std::string_view s = Trimmed(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    long long value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<unsigned long long> TextToUnsigned(const std::string& text, unsigned long long max) {
    std::string_view s = Trimmed(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    unsigned long long value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size() || value > max)
        return std::nullopt;
    return value;
}

QDate DayZero() {
    return QDate(1899, 12, 30);
}

std::string DateTimeToText(const QDate& date, const QTime& time) {
    const bool on_day_zero = !date.isValid() || date == DayZero();
    const int msecs = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    if (on_day_zero && msecs == 0)
        return {};

    std::string out;
    if (!on_day_zero) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year(), date.month(), date.day());
        out = buf;
        if (msecs == 0)
            return out;
        out += 'T';
    }
    AppendTwoDigits(out, time.hour());
    out += ':';
    AppendTwoDigits(out, time.minute());
    out += ':';
    AppendTwoDigits(out, time.second());
    out += '.';
    out += static_cast<char>('0' + time.msec() / 100);
    AppendTwoDigits(out, time.msec() % 100);
    return out;
}

namespace {

// Splits `s` at `sep` into at most `max_parts` integers; nullopt when a part is not a number.
std::optional<std::vector<int>> IntegerParts(std::string_view s, char sep, size_t min_parts,
                                             size_t max_parts) {
    std::vector<int> parts;
    while (true) {
        const size_t at = s.find(sep);
        std::string_view part = s.substr(0, at);
        auto value = TextToInteger(std::string(part), 0, 99999);
        if (!value || part.empty())
            return std::nullopt;
        parts.push_back(static_cast<int>(*value));
        if (at == std::string_view::npos)
            break;
        s.remove_prefix(at + 1);
    }
    if (parts.size() < min_parts || parts.size() > max_parts)
        return std::nullopt;
    return parts;
}

std::optional<QTime> ParseTime(std::string_view s) {
    int msec = 0;
    const size_t dot = s.find('.');
    if (dot != std::string_view::npos) {
        std::string_view ms = s.substr(dot + 1);
        if (ms.empty() || ms.size() > 3)
            return std::nullopt;
        auto value = TextToInteger(std::string(ms), 0, 999);
        if (!value)
            return std::nullopt;
        msec = static_cast<int>(*value);
        s = s.substr(0, dot);
    }
    auto parts = IntegerParts(s, ':', 2, 3);
    if (!parts)
        return std::nullopt;
    const int seconds = parts->size() > 2 ? (*parts)[2] : 0;
    if (!QTime::isValid((*parts)[0], (*parts)[1], seconds, msec))
        return std::nullopt;
    return QTime((*parts)[0], (*parts)[1], seconds, msec);
}

std::optional<QDate> ParseDate(std::string_view s) {
    auto parts = IntegerParts(s, '-', 3, 3);
    if (!parts || !QDate::isValid((*parts)[0], (*parts)[1], (*parts)[2]))
        return std::nullopt;
    return QDate((*parts)[0], (*parts)[1], (*parts)[2]);
}

} // namespace

std::optional<DateTimeParts> TextToDateTime(const std::string& text) {
    std::string_view s = Trimmed(text);
    DateTimeParts result{DayZero(), QTime(0, 0)};
    std::string_view date_text, time_text;
    const size_t t = s.find_first_of("Tt");
    if (t != std::string_view::npos) {
        date_text = s.substr(0, t);
        time_text = s.substr(t + 1);
    } else if (s.find('-') != std::string_view::npos) {
        date_text = s;
    } else {
        time_text = s;
    }
    if (t != std::string_view::npos || !date_text.empty()) {
        auto date = ParseDate(date_text);
        if (!date)
            return std::nullopt;
        result.date = *date;
    }
    if (t != std::string_view::npos || !time_text.empty() || date_text.empty()) {
        auto time = ParseTime(time_text);
        if (!time)
            return std::nullopt;
        result.time = *time;
    }
    return result;
}

} // namespace vc::persistence
