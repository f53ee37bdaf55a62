#pragma once
// The small pictures of the tree and the task list: one per task status (running, paused,
// failed, finished, waiting, by the status's ordinal) and the two tree entry kinds. Drawn, so
// they need no files and stay sharp at any scale.
#include <QIcon>

namespace vc::gui {

// The icon of a task status ordinal (0 running .. 4 waiting); a null icon for any other value.
QIcon TaskStatusIcon(int status);
// The task list entry of the tree (0) and a history category (1).
QIcon TreeEntryIcon(int image_index);
// The program's own icon (windows, the alert).
QIcon ProgramIcon();

} // namespace vc::gui
