#include "support/private_bus.h"

#include "support/gui_test.h"

#include <QStandardPaths>

namespace vc::test {

bool PrivateBus::Start(QString* why) {
    const QString program = QStandardPaths::findExecutable("dbus-daemon");
    if (program.isEmpty()) {
        *why = "dbus-daemon is not installed (Debian package dbus-daemon)";
        return false;
    }
    daemon_.setProgram(program);
    daemon_.setArguments({"--session", "--nofork", "--nopidfile", "--print-address=1"});
    daemon_.start();
    if (!daemon_.waitForStarted(10000)) {
        *why = "dbus-daemon did not start: " + daemon_.errorString();
        return false;
    }
    if (!RunEventsUntil([&] { return daemon_.canReadLine() || daemon_.state() == QProcess::NotRunning; },
                        std::chrono::seconds(10)) ||
        !daemon_.canReadLine()) {
        *why = "dbus-daemon gave no address: " + QString::fromLocal8Bit(daemon_.readAllStandardError());
        return false;
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    return !address_.isEmpty();
}

PrivateBus::~PrivateBus() {
    for (const QString& name : connections_)
        QDBusConnection::disconnectFromBus(name);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }
}

QDBusConnection PrivateBus::Connect(const QString& name) {
    const QString unique = QStringLiteral("test-%1-%2").arg(name).arg(connections_.size());
    connections_ << unique;
    return QDBusConnection::connectToBus(address_, unique);
}

} // namespace vc::test
