#pragma once
// Text helpers for filter-graph fragments: the backslash helpers, the escaping that lets paths and
// user text reach libavfilter unchanged, and the comma join of fragments.
#include <QString>
#include <QStringList>

namespace vc {

// Every backslash doubled / quadrupled.
QString DoubleBackslashes(const QString& text);
QString QuadrupleBackslashes(const QString& text);

// A value for a filter's option list that is read back as exactly `value`: backslash before every
// "\", "'", ":" and "=", and before blanks (which the parser would otherwise drop at the ends).
QString EscapeOptionValue(const QString& value);

// Text for a position of the graph description outside quotes: backslash before every "\", "'",
// "[", "]", ",", ";" and blank, so the graph parser hands the text on as it is.
QString EscapeGraphText(const QString& text);

// Text placed between single quotes of the graph description: each "'" closes the quotes, adds an
// escaped quote and opens them again.
QString EscapeGraphQuoted(const QString& text);

// drawtext's own text level: "\" and "%" are escaped so they are drawn, not expanded; a CR LF
// pair becomes one line feed, which drawtext draws as a line break.
QString EscapeDrawtextText(const QString& text);

// Joins fragments with ",". A fragment holding a comma or a character of code 32 or less is
// enclosed in single spaces, and its blanks outside quoted or escaped text are doubled (the
// parser skips them; quoted text keeps its spaces as typed). An empty list gives "", a list of one
// empty fragment two spaces.
QString CommaJoin(const QStringList& pieces);

} // namespace vc
