#pragma once
// The tree frame on the left: the task list entry and the history categories.
#include <QTreeView>

namespace vc::gui {

class TFrameExplorer : public QTreeView {
    Q_OBJECT

public:
    explicit TFrameExplorer(QWidget* parent = nullptr);
};

} // namespace vc::gui
