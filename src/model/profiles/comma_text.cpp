#include "model/profiles/comma_text.h"

namespace vc {
namespace {

bool IsBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

bool NeedsQuotes(const QString& line) {
    for (QChar c : line)
        if (c.unicode() <= 32 || c == QLatin1Char('"') || c == QLatin1Char(','))
            return true;
    return false;
}

} // namespace

QString ToCommaText(const QStringList& lines) {
    if (lines.size() == 1 && lines[0].isEmpty())
        return QStringLiteral("\"\"");
    QStringList items;
    for (const QString& line : lines) {
        if (NeedsQuotes(line)) {
            QString inner = line;
            inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
            items << QLatin1Char('"') + inner + QLatin1Char('"');
        } else {
            items << line;
        }
    }
    return items.join(QLatin1Char(','));
}

QStringList FromCommaText(const QString& text) {
    QStringList lines;
    qsizetype p = 0;
    const qsizetype n = text.size();
    auto skip_blanks = [&] {
        while (p < n && IsBlank(text[p]))
            ++p;
    };
    skip_blanks();
    while (p < n) {
        QString item;
        if (text[p] == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (text[p] == QLatin1Char('"')) {
                    if (p + 1 < n && text[p + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p; // closing quote
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > 32 && text[p] != QLatin1Char(','))
                ++p;
            item = text.mid(start, p - start);
        }
        lines << item;
        skip_blanks();
        if (p < n && text[p] == QLatin1Char(',')) {
            if (p + 1 == n)
                lines << QString();
            do
                ++p;
            while (p < n && IsBlank(text[p]));
        }
    }
    return lines;
}

} // namespace vc
