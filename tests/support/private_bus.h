#pragma once
// A session bus of the test's own: a dbus-daemon started for the test and ended with it, so no
// test talks to the desktop the tests run on (nor needs one).
#include <QDBusConnection>
#include <QProcess>
#include <QStringList>

namespace vc::test {

class PrivateBus {
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Starts the daemon; false with the reason in `why` when it cannot (not installed, no address).
    bool Start(QString* why);
    // A new connection to the bus; `name` tells the test's connections apart.
    QDBusConnection Connect(const QString& name);
    const QString& Address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
    QStringList connections_;
};

} // namespace vc::test

// In a test body: the private bus `bus`, or the test is skipped with the reason.
#define VC_START_PRIVATE_BUS(bus)                                                                            \
    ::vc::test::PrivateBus bus;                                                                              \
    if (QString why_no_bus; !bus.Start(&why_no_bus))                                                         \
    GTEST_SKIP() << why_no_bus.toStdString()
