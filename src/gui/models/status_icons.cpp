#include "gui/models/status_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <functional>

namespace vc::gui {

namespace {

QIcon Draw(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Disc(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

} // namespace

QIcon TaskStatusIcon(int status) {
    static const std::array<QIcon, 5> icons = {
        // running: a play sign
        Draw([](QPainter& p) {
            Disc(p, QColor(0x2e, 0x9d, 0x3a));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF({QPointF(6, 4.5), QPointF(11.5, 8), QPointF(6, 11.5)}));
        }),
        // paused: two bars
        Draw([](QPainter& p) {
            Disc(p, QColor(0xe0, 0xa0, 0x10));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5, 4.5, 2.2, 7));
            p.drawRect(QRectF(8.8, 4.5, 2.2, 7));
        }),
        // failed: a cross
        Draw([](QPainter& p) {
            Disc(p, QColor(0xcc, 0x2a, 0x2a));
            p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
            p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        }),
        // finished: a tick
        Draw([](QPainter& p) {
            Disc(p, QColor(0x2a, 0x6f, 0xcc));
            p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(4.5, 8.3), QPointF(7, 10.8), QPointF(11.5, 5.5)}));
        }),
        // waiting: a clock
        Draw([](QPainter& p) {
            Disc(p, QColor(0x90, 0x90, 0x90));
            p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
            p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        }),
    };
    return status >= 0 && status < static_cast<int>(icons.size()) ? icons[status] : QIcon();
}

QIcon TreeEntryIcon(int image_index) {
    static const QIcon list = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        p.setBrush(QColor(0xf4, 0xf4, 0xf4));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(QPen(QColor(0x2e, 0x9d, 0x3a), 1.4));
        for (double y : {5.5, 8.0, 10.5})
            p.drawLine(QPointF(4, y), QPointF(12, y));
    });
    static const QIcon folder = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(0xa0, 0x78, 0x10), 1));
        p.setBrush(QColor(0xf2, 0xc2, 0x4a));
        QPainterPath path;
        path.moveTo(1.5, 4);
        path.lineTo(6, 4);
        path.lineTo(7.5, 5.5);
        path.lineTo(14.5, 5.5);
        path.lineTo(14.5, 13.5);
        path.lineTo(1.5, 13.5);
        path.closeSubpath();
        p.drawPath(path);
    });
    switch (image_index) {
    case 0: return list;
    case 1: return folder;
    default: return {};
    }
}

QIcon ProgramIcon() {
    static const QIcon icon = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(0x1d, 0x4f, 0x91), 1));
        p.setBrush(QColor(0x2a, 0x6f, 0xcc));
        p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(6.5, 5.5), QPointF(10.5, 8), QPointF(6.5, 10.5)}));
    });
    return icon;
}

} // namespace vc::gui
