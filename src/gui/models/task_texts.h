#pragma once
// The texts the task layer hands the views (column captions, the task list's name, the root
// category's name) in the interface language. The task layer keeps the Chinese texts, which are
// the source texts of the translation.
#include <QString>

namespace vc::gui {

// A column caption or other fixed text of the task layer, translated.
QString TaskText(const QString& text);
// A category's name as shown: the root category's default name translated, any other as stored.
QString CategoryDisplayName(int category_id, const QString& stored_name);

} // namespace vc::gui
