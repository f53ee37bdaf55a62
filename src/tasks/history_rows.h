#pragma once
// A finished task as a history listing shows it, read from its stored row without building the
// task: only the fields the columns show are taken from the request's XML. Opening, starting or
// editing a task still reads the whole request (TaskSession::FindAnyTask).
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace vc {

struct TStoredTask;

struct THistoryRow {
    std::int64_t ID = 0;
    QDateTime Date;     // UTC, as stored
    QString SourceName; // as SourceNameText shows it
    std::int64_t SourceFileSize = 0;
    QString TargetFile;
    QString Profile;
    double Duration = 0;
};

// The row's shown fields; a request that is not XML leaves them empty.
THistoryRow ReadHistoryRow(const TStoredTask& stored);
// The text of column `column` of TConvertedNode::Columns(), as the task's own caption gives it.
QString HistoryCaption(const THistoryRow& row, int column);

} // namespace vc
