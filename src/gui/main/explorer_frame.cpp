#include "gui/main/explorer_frame.h"

#include <QHeaderView>

namespace vc::gui {

TFrameExplorer::TFrameExplorer(QWidget* parent) : QTreeView(parent) {
    setObjectName("tvExplorer");
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(true);
}

} // namespace vc::gui
