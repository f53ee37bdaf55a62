#pragma once
// The texts of the task list and history cells.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace vc {

class TConversionSettings;

// Rule S: "dvd[<volume>:title<n>]" for a DVD source, else the file name of the first source line.
QString SourceNameText(const TConversionSettings& settings);
// Bytes as whole kilobytes (truncated): "%dKB".
QString KilobytesText(std::int64_t bytes);
// Rule T: seconds, rounded half to even, as "%d:%d:%d" without padding (3725.5 -> "1:2:6").
QString DurationText(double seconds);
// The pattern "###,###.0#": thousands separators, one or two decimals, no leading zero
// (0 -> ".0", 1234.5 -> "1,234.5", 0.256 -> ".26").
QString BitrateText(double kbits_per_second);
// The locale's short date and long time.
QString DateText(const QDateTime& when);
// The file name part of a path.
QString FileNamePart(const QString& path);

} // namespace vc
