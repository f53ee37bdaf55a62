#include "engine/options/string_lists.h"

#include "engine/media/format_helpers.h"
#include "platform/error.h"

namespace vc {

NameValue SplitNameValue(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {line, QString(), false};
    return {line.left(eq), line.mid(eq + 1), true};
}

int IndexOfName(const QStringList& lines, const QString& name) {
    for (int i = 0; i < lines.size(); ++i) {
        const NameValue nv = SplitNameValue(lines[i]);
        if (nv.has_separator && nv.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::vector<StreamMapEntry> ParseStreamMaps(const QStringList& lines) {
    std::vector<StreamMapEntry> entries;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const NameValue nv = SplitNameValue(line);
        const auto file = TryParseInt(nv.name.toStdString());
        const auto stream = TryParseInt(nv.value.toStdString());
        if (!nv.has_separator || !file || !stream)
            throw Error("Invalid stream map \"" + line.toStdString() +
                        "\": expected FILE=STREAM, the input file number and the stream number "
                        "within that file (for example 0=1)");
        entries.push_back({*file, *stream});
    }
    return entries;
}

} // namespace vc
