#pragma once
// The program's emblem (the picture of its desktop icon) painted at any size, for the setup
// wizard, the About box and the completion alert; no image plug-in is needed.
#include <QPixmap>

class QPainter;
class QRectF;

namespace vc::gui {

// Paints the emblem into `box` (kept square, centred).
void PaintAppEmblem(QPainter& painter, const QRectF& box);
// The emblem as a transparent pixmap of `size` × `size` device-independent pixels.
QPixmap AppEmblemPixmap(int size, qreal device_pixel_ratio = 1.0);

} // namespace vc::gui
