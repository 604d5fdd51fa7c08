#include "tests/KitDBus/SessionBusTest.h"

#include "tests/App/FakeLogind.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>

#include <chrono>
#include <cstdlib>

SessionBusTest::SessionBusTest() = default;
SessionBusTest::~SessionBusTest() = default;

void SessionBusTest::SetUp()
{
    KitTest::SetUp();
    bus_ = std::make_unique<PrivateBus>(temp_.path() / "bus", "DBUS_SESSION_BUS_ADDRESS");
    ASSERT_TRUE(bus_->running());
    host_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QString::fromLocal8Bit(std::getenv("DBUS_SESSION_BUS_ADDRESS")), "host"));
    ASSERT_TRUE(host_->isConnected());
}

void SessionBusTest::TearDown()
{
    host_.reset();
    QDBusConnection::disconnectFromBus("host");
    bus_.reset();
    KitTest::TearDown();
}

bool SessionBusTest::spinUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        advance(0);
    }
    return true;
}

QVariant SessionBusTest::hostProperty(const QString& service, const QString& path, const QString& interface,
                                      const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Properties", "Get");
    call << interface << name;
    QDBusPendingCall pending = host_->asyncCall(call);
    if (!spinUntil([&] { return pending.isFinished(); }) || pending.isError())
        return {};
    return pending.reply().arguments().value(0).value<QDBusVariant>().variant();
}
