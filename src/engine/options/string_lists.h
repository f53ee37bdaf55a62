#pragma once
// The line formats of the option lists: Name=Value lines (metadata, codec options) and
// "file=stream" lines (stream maps).
#include <QString>
#include <QStringList>
#include <vector>

namespace vc {

struct NameValue {
    QString name;
    QString value;
    bool has_separator = false; // false for a line without "=": all of it is the name
};

// Splits a line at its first "=": "title=a=b" gives name "title" and value "a=b".
NameValue SplitNameValue(const QString& line);

// The index of the first line whose name equals `name` ignoring letter case, or -1.
int IndexOfName(const QStringList& lines, const QString& name);

struct StreamMapEntry {
    int file_index = 0;
    int stream_index = 0;
};

// One entry per line of `lines`; blank lines are skipped. Throws vc::Error naming the line for a
// line that is not "<integer>=<integer>".
std::vector<StreamMapEntry> ParseStreamMaps(const QStringList& lines);

} // namespace vc
