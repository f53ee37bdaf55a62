#include "tasks/cell_text.h"

#include "engine/media/format_helpers.h"
#include "model/settings/conversion_settings.h"

#include <QLocale>
#include <cmath>

namespace vc {

QString FileNamePart(const QString& path) {
    const QString trimmed = path.trimmed();
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}

QString SourceNameText(const TConversionSettings& settings) {
    if (settings.SourceType() == TConversionSettings::stDvd)
        return QStringLiteral("dvd[%1:title%2]").arg(settings.DvdVolume()).arg(settings.DvdTitle());
    const QStringList sources = settings.SourceFiles();
    return sources.isEmpty() ? QString() : FileNamePart(sources.first());
}

QString KilobytesText(std::int64_t bytes) {
    return QStringLiteral("%1KB").arg(bytes / 1024);
}

QString DurationText(double seconds) {
    // nearbyint under the default rounding mode takes halves to the even neighbour.
    const double whole = std::isfinite(seconds) ? std::nearbyint(seconds) : 0.0;
    return QString::fromStdString(FormatSeconds(static_cast<std::int64_t>(whole)));
}

QString BitrateText(double value) {
    if (!std::isfinite(value))
        value = 0;
    const bool negative = value < 0;
    const long long hundredths = std::llround(std::fabs(value) * 100.0);
    const long long whole = hundredths / 100;
    const int decimals = static_cast<int>(hundredths % 100);
    QString digits = whole == 0 ? QString() : QString::number(whole);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, ',');
    QString fraction = QString::number(decimals / 10);
    if (decimals % 10 != 0)
        fraction += QString::number(decimals % 10);
    return (negative && hundredths != 0 ? "-" : "") + digits + "." + fraction;
}

QString DateText(const QDateTime& when) {
    if (!when.isValid())
        return {};
    const QLocale locale;
    // The long time format without its time-zone part.
    QString time_format = locale.timeFormat(QLocale::LongFormat);
    time_format.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
           locale.toString(when.time(), time_format.trimmed());
}

} // namespace vc
