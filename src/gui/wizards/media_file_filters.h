#pragma once
// The file-dialog filters of the wizards and the media extensions behind them.
#include <QStringList>

namespace vc::gui {

// "Video Files(...)", "Picture Files(...)", "Audio Files (...)", "All Files(*.*)", in this order.
QStringList MediaFileFilters();
// The extensions of the video, picture and audio filters, lower case without dots.
QStringList MediaFileExtensions();

} // namespace vc::gui
