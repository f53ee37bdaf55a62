#pragma once
// Mouse and key events sent to widgets the way the window system delivers them.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace vc::test {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

inline void Click(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

// Press at `from`, move to `to` in a few steps, release there.
inline void Drag(QWidget* w, QPoint from, QPoint to) {
    const QPoint start = w->mapToGlobal(from);
    SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step) {
        // The widget moves under the mouse: positions are taken relative to where it is now.
        const QPoint global = start + (to - from) * step / 4;
        SendMouse(w, QEvent::MouseMove, w->mapFromGlobal(global), Qt::LeftButton);
    }
    SendMouse(w, QEvent::MouseButtonRelease, w->mapFromGlobal(start + (to - from)), Qt::NoButton);
}

inline void PressKey(QWidget* w, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

} // namespace vc::test
