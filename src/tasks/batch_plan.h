#pragma once
// How a batch (many source files, one profile, one output folder) becomes tasks, for both front
// ends: the output each file gets and what keeps two of them from writing one file. Main thread
// only.
#include <QString>
#include <cstdint>
#include <vector>

namespace vc {

class TConversionSettings;
class TaskLocks;

// One file of a batch and the output its task writes.
struct TBatchItem {
    enum class Clash {
        None,
        SameFile, // the file is listed earlier in the batch
        SameName, // an earlier file of the batch (another folder, the same name) gets that output
        Taken,    // an unfinished task writes, or waits to write, that output
    };
    QString source;
    QString target;  // the output the task writes (numbered when the plan numbers clashes)
    QString planned; // the output the profile's naming gives
    Clash clash = Clash::None;
    QString other; // the earlier file of the batch, or the other task's source
    std::int64_t other_task = 0;
};

enum class BatchClashes {
    Keep,   // targets stay as planned; the caller refuses or asks
    Number, // a clashing output becomes "name (2).ext", the first number free and not on disk
};

// The outputs of `batch` (its source files, in order, into its target folder with its target
// extension). Clashes with outputs held by unfinished tasks are looked up in `locks` (null: not
// looked up).
std::vector<TBatchItem> PlanBatch(const TConversionSettings& batch, const TaskLocks* locks,
                                  BatchClashes mode);
// True when some item of the plan clashes.
bool HasClash(const std::vector<TBatchItem>& plan);
// For a person: why the item's planned output is not free.
QString DescribeClash(const TBatchItem& item);
// "folder/name (n).ext" for "folder/name.ext" (the extension is what follows the last dot of the
// file name).
QString NumberedName(const QString& path, int n);

} // namespace vc
