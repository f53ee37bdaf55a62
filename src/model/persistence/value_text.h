#pragma once
// The text forms of numbers and date-times in stored documents. They never depend on the locale:
// a German or French desktop writes and reads "0.5", not "0,5".
#include <QDate>
#include <QTime>
#include <optional>
#include <string>

namespace vc::persistence {

// General format with at most 15 significant digits and no trailing zeros: fixed notation from
// 0.00001 up to 15 integer digits, else scientific ("1E-6", "1.5E20"). NaN and infinities are
// "NAN", "INF" and "-INF". Callers widen singles first, so 0.44f becomes "0.439999997615814".
std::string FloatToText(double value);

// The reverse; nullopt for text that is not a number. Values beyond the range of a double become
// the largest finite double of that sign, so every written value reads back.
std::optional<double> TextToFloat(const std::string& text);

// A float read back from a widened value: rounded to the nearest single, clamped to the largest
// finite single instead of overflowing.
float NarrowToSingle(double value);

// Decimal integer text with optional sign and surrounding blanks; nullopt when malformed or out of
// the range [min, max].
std::optional<long long> TextToInteger(const std::string& text, long long min, long long max);
std::optional<unsigned long long> TextToUnsigned(const std::string& text, unsigned long long max);

// Date-times use the day 1899-12-30 as day zero: a value on that day is written as its time alone,
// a value at midnight as its date alone, anything else as date "T" time. "yyyy-mm-dd" and
// "hh:nn:ss.zzz". Empty text for the zero value (that day at midnight), which is never written.
std::string DateTimeToText(const QDate& date, const QTime& time);

struct DateTimeParts {
    QDate date; // 1899-12-30 when the text has no date
    QTime time; // midnight when the text has no time
};
// Reads the forms above (the date before "T", or all of it when it has a hyphen but no "T"; the
// time after "T", or all of it when it has neither; seconds and milliseconds optional). nullopt for
// malformed text or impossible dates and times.
std::optional<DateTimeParts> TextToDateTime(const std::string& text);

QDate DayZero();

} // namespace vc::persistence
