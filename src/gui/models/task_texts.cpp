#include "gui/models/task_texts.h"

#include "store/persistent_manager.h"

#include <QCoreApplication>

namespace vc::gui {

namespace {

// The catalogue's entries for the texts made in the task layer.
[[maybe_unused]] const char* const kTaskTexts[] = {
    QT_TRANSLATE_NOOP("vc::TaskTexts", "任务列表"),     QT_TRANSLATE_NOOP("vc::TaskTexts", "默认分类"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "文件"),         QT_TRANSLATE_NOOP("vc::TaskTexts", "大小"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "目标"),         QT_TRANSLATE_NOOP("vc::TaskTexts", "目标大小"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "目标输出配置"), QT_TRANSLATE_NOOP("vc::TaskTexts", "时长"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "进度"),         QT_TRANSLATE_NOOP("vc::TaskTexts", "比特率(kbs)"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "剩余时间"),     QT_TRANSLATE_NOOP("vc::TaskTexts", "已用时间"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "日期"),         QT_TRANSLATE_NOOP("vc::TaskTexts", "Category"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "Property"),     QT_TRANSLATE_NOOP("vc::TaskTexts", "Value"),
};

} // namespace

QString TaskText(const QString& text) {
    return QCoreApplication::translate("vc::TaskTexts", text.toUtf8().constData());
}

QString CategoryDisplayName(int category_id, const QString& stored_name) {
    if (category_id == 1 && stored_name == TPersistentManager::kRootName)
        return TaskText(stored_name);
    return stored_name;
}

} // namespace vc::gui
