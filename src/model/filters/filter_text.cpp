#include "model/filters/filter_text.h"

namespace vc {
namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

QString EscapeChars(const QString& text, const QString& specials) {
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        if (specials.contains(c) || IsBlank(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace

QString DoubleBackslashes(const QString& text) {
    QString out = text;
    return out.replace(QLatin1String("\\"), QLatin1String("\\\\"));
}

QString QuadrupleBackslashes(const QString& text) {
    QString out = text;
    return out.replace(QLatin1String("\\"), QLatin1String("\\\\\\\\"));
}

QString EscapeOptionValue(const QString& value) {
    return EscapeChars(value, QStringLiteral("\\':="));
}

QString EscapeGraphText(const QString& text) {
    return EscapeChars(text, QStringLiteral("\\'[],;"));
}

QString EscapeGraphQuoted(const QString& text) {
    QString out = text;
    return out.replace(QLatin1String("'"), QLatin1String("'\\''"));
}

QString EscapeDrawtextText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    out.replace(QLatin1String("%"), QLatin1String("\\%"));
    return out;
}

QString CommaJoin(const QStringList& pieces) {
    if (pieces.isEmpty())
        return QString();
    if (pieces.size() == 1 && pieces[0].isEmpty())
        return QStringLiteral("  ");
    QStringList items;
    for (const QString& piece : pieces) {
        bool enclose = false;
        for (QChar c : piece)
            enclose = enclose || c == QLatin1Char(',') || IsBlank(c);
        if (!enclose) {
            items << piece;
            continue;
        }
        QString out = QStringLiteral(" ");
        bool quoted = false;
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const QChar c = piece[i];
            out += c;
            if (quoted) {
                quoted = c != QLatin1Char('\'');
            } else if (c == QLatin1Char('\'')) {
                quoted = true;
            } else if (c == QLatin1Char('\\') && i + 1 < piece.size()) {
                out += piece[++i]; // an escaped character stays single
            } else if (c == QLatin1Char(' ')) {
                out += c;
            }
        }
        out += QLatin1Char(' ');
        items << out;
    }
    return items.join(QLatin1Char(','));
}

} // namespace vc
