#include "tests/KitDBus/FakePortal.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace {

constexpr const char* path = "/org/freedesktop/portal/desktop";
constexpr const char* interface = "org.freedesktop.portal.Settings";

} // namespace

FakePortal::FakePortal(QDBusConnection connection, unsigned scheme, bool readOneToo)
    : connection_(std::move(connection)), scheme_(scheme), readOne_(readOneToo)
{
    connection_.registerVirtualObject(path, this);
    connection_.registerService("org.freedesktop.portal.Desktop");
}

FakePortal::~FakePortal()
{
    connection_.unregisterService("org.freedesktop.portal.Desktop");
    connection_.unregisterObject(path);
}

void FakePortal::setScheme(unsigned scheme)
{
    scheme_ = scheme;
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, "SettingChanged");
    signal << QString("org.freedesktop.appearance") << QString("color-scheme")
           << QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme)));
    connection_.send(signal);
}

QString FakePortal::introspect(const QString&) const { return {}; }

bool FakePortal::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.interface() != QLatin1String(interface))
        return false;
    const QList<QVariant> args = message.arguments();
    const bool asked =
        args.size() == 2 && args[0].toString() == "org.freedesktop.appearance" && args[1].toString() == "color-scheme";
    if (message.member() == "ReadOne" && readOne_ && asked)
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme_)))));
    if (message.member() == "Read" && asked) {
        // The older answer: the value in one more variant.
        const QDBusVariant inner(QVariant::fromValue(scheme_));
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(inner)))));
    }
    return connection.send(message.createErrorReply(QDBusError::UnknownMethod, "no such method"));
}
