#include "gui/widgets/app_emblem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <algorithm>

namespace vc::gui {

// Drawn in the 64-unit grid of data/videoconverter.svg, so both pictures agree.
void PaintAppEmblem(QPainter& painter, const QRectF& box) {
    const qreal side = std::min(box.width(), box.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / 64.0, side / 64.0);

    const QColor dark(0x1e, 0x40, 0xaf);
    QLinearGradient background(0, 4, 0, 60);
    background.setColorAt(0, QColor(0x3b, 0x82, 0xf6));
    background.setColorAt(1, dark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);

    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(10, 17, 26, 30), 3, 3);
    painter.setBrush(dark);
    for (const qreal y : {19.0, 25.0, 31.0, 37.0, 42.0}) {
        painter.drawRect(QRectF(12, y, 3, 3));
        painter.drawRect(QRectF(31, y, 3, 3));
    }
    QPainterPath play;
    play.moveTo(19, 25);
    play.lineTo(19, 39);
    play.lineTo(28, 32);
    play.closeSubpath();
    painter.drawPath(play);

    QPen arrow(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(arrow);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(39, 32), QPointF(51, 32));
    const QPointF head[] = {{46, 25}, {53, 32}, {46, 39}};
    painter.drawPolyline(head, 3);
    painter.restore();
}

QPixmap AppEmblemPixmap(int size, qreal device_pixel_ratio) {
    QPixmap pixmap(QSize(size, size) * device_pixel_ratio);
    pixmap.setDevicePixelRatio(device_pixel_ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintAppEmblem(painter, QRectF(0, 0, size, size));
    return pixmap;
}

} // namespace vc::gui
