#include "tasks/batch_plan.h"

#include "model/settings/conversion_settings.h"
#include "tasks/av_task.h"
#include "tasks/task_locks.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace vc {

QString NumberedName(const QString& path, int n) {
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype cut = dot > slash + 1 ? dot : path.size();
    return path.left(cut) + " (" + QString::number(n) + ")" + path.mid(cut);
}

std::vector<TBatchItem> PlanBatch(const TConversionSettings& batch, const TaskLocks* locks,
                                  BatchClashes mode) {
    std::vector<TBatchItem> plan;
    QSet<QString> sources;       // normal source paths seen so far
    QSet<QString> targets;       // normal outputs given so far
    std::vector<QString> firsts; // the source that first got each output, by the order of `plan`
    TConversionSettings one;
    one.Assign(&batch);
    for (const QString& source : batch.SourceFiles()) {
        one.SetSourceFiles({source});
        TBatchItem item;
        item.source = source;
        item.planned =
            one.TargetFolder().trimmed().isEmpty() ? one.TargetFile() : TAVTask::ResolveOutputPath(one);
        item.target = item.planned;
        const QString normal_source = TaskLocks::NormalTarget(source);
        const QString normal = TaskLocks::NormalTarget(item.planned);
        if (sources.contains(normal_source)) {
            item.clash = TBatchItem::Clash::SameFile;
            item.other = source;
        } else if (targets.contains(normal)) {
            item.clash = TBatchItem::Clash::SameName;
            for (const TBatchItem& earlier : plan)
                if (TaskLocks::NormalTarget(earlier.target) == normal)
                    item.other = earlier.source;
        } else if (const auto holder = locks ? locks->TargetHolderOf(item.planned) : std::nullopt) {
            item.clash = TBatchItem::Clash::Taken;
            item.other = holder->source;
            item.other_task = holder->task_id;
        }
        if (item.clash != TBatchItem::Clash::None && mode == BatchClashes::Number) {
            // A number nobody writes and no file on disk has: a name we make up must not replace a
            // file of the user's.
            for (int n = 2;; ++n) {
                const QString candidate = NumberedName(item.planned, n);
                if (targets.contains(TaskLocks::NormalTarget(candidate)) || QFileInfo::exists(candidate) ||
                    (locks && locks->TargetHolderOf(candidate)))
                    continue;
                item.target = candidate;
                break;
            }
        }
        sources.insert(normal_source);
        targets.insert(TaskLocks::NormalTarget(item.target));
        plan.push_back(item);
    }
    return plan;
}

bool HasClash(const std::vector<TBatchItem>& plan) {
    return std::any_of(plan.begin(), plan.end(),
                       [](const TBatchItem& item) { return item.clash != TBatchItem::Clash::None; });
}

QString DescribeClash(const TBatchItem& item) {
    switch (item.clash) {
    case TBatchItem::Clash::SameFile: return item.source + " is listed twice";
    case TBatchItem::Clash::SameName:
        return item.other + " and " + item.source + " would both be written to " + item.planned;
    case TBatchItem::Clash::Taken:
        return item.planned + " is already the output of " +
               (item.other_task != 0 ? "task " + QString::number(item.other_task)
                                     : QStringLiteral("a conversion")) +
               (item.other.isEmpty() ? QString() : " (" + item.other + ")");
    case TBatchItem::Clash::None: break;
    }
    return {};
}

} // namespace vc
