#include "tasks/history_rows.h"

#include "store/persistent_manager.h"
#include "tasks/cell_text.h"

#include <QFileInfo>
#include <pugixml.hpp>

namespace vc {

THistoryRow ReadHistoryRow(const TStoredTask& stored) {
    THistoryRow row;
    row.ID = stored.ID;
    row.Date = stored.ConvertedDate;
    const QByteArray xml = stored.ConvertSettings.toUtf8();
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.constData(), static_cast<size_t>(xml.size()), pugi::parse_default,
                         pugi::encoding_utf8))
        return row;
    // The request's own fields are the children of its element; the options below them are
    // never looked at.
    const pugi::xml_node request = doc.child("data").child("TConversionSettings");
    const auto text = [&](const char* name) {
        return QString::fromUtf8(request.child(name).text().as_string());
    };
    if (text("SourceType") == QLatin1String("stDvd"))
        row.SourceName = QStringLiteral("dvd[%1:title%2]")
                             .arg(text("DvdVolume"))
                             .arg(request.child("DvdTitle").text().as_int());
    else
        row.SourceName =
            FileNamePart(QString::fromUtf8(request.child("SourceFiles").child("l0").text().as_string()));
    row.SourceFileSize = request.child("SourceFileSize").text().as_llong();
    row.TargetFile = text("TargetFile");
    row.Profile = text("Profile");
    row.Duration = request.child("Duration").text().as_double();
    return row;
}

QString HistoryCaption(const THistoryRow& row, int column) {
    switch (column) {
    case 0: return row.SourceName;
    case 1: return KilobytesText(row.SourceFileSize);
    case 2: return FileNamePart(row.TargetFile);
    case 3: {
        const QFileInfo target(row.TargetFile.trimmed());
        return KilobytesText(target.isFile() ? target.size() : 0);
    }
    case 4: return row.Profile;
    case 5: return DurationText(row.Duration);
    case 6: return DateText(row.Date.isValid() ? row.Date.toLocalTime() : row.Date);
    default: return {};
    }
}

} // namespace vc
