#include "platform/system_shutdown.h"

#include "platform/error.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace vc {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

void LogindShutdown::PowerOff() {
    if (qEnvironmentVariableIsSet("VC_NEVER_POWER_OFF"))
        throw Error("Cannot shut down the computer: VC_NEVER_POWER_OFF is set");
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        throw Error("Cannot shut down the computer: the system bus is not available (" +
                    bus.lastError().message().toStdString() + ")");
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "PowerOff");
    call << false; // not interactive: no authentication prompt from a background completion
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage)
        throw Error("Cannot shut down the computer: " + reply.errorMessage().toStdString());
}

std::string LogindShutdown::CanPowerOff() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "CanPowerOff");
    const QDBusReply<QString> reply = bus.call(call, QDBus::Block, 2000);
    return reply.isValid() ? reply.value().toStdString() : std::string();
}

} // namespace vc
