#pragma once
// What the dialog tests share: a private application-data folder, and a way to act on a modal
// dialog from inside its exec().
#include "support/test_env.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>

namespace vc::test {

// XDG_DATA_HOME points into a fresh folder while the object lives.
class ScopedAppData {
public:
    ScopedAppData() : previous_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir_.path() / "xdg").string()));
    }
    ~ScopedAppData() { qputenv("XDG_DATA_HOME", previous_); }
    ScopedAppData(const ScopedAppData&) = delete;
    ScopedAppData& operator=(const ScopedAppData&) = delete;

    QString Path(const std::string& name) const {
        return QString::fromStdString((dir_.path() / name).string());
    }

private:
    TempDir dir_;
    QByteArray previous_;
};

// Runs `act` on the modal dialog of class T as soon as one is open (polled every 10 ms for at most
// 10 s). `act` must close it, or the exec() that opened it never returns.
template <class T> void WhenModalOpens(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act] {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (dialog)
            act(dialog);
    });
    timer->start();
}

} // namespace vc::test
