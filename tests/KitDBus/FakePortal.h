#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>

// The desktop portal's settings on a connection: "org.freedesktop.appearance" "color-scheme" as
// `scheme`, read with ReadOne (or, as a portal before it, only with Read), and SettingChanged on change.
class FakePortal final : public QDBusVirtualObject {
public:
    FakePortal(QDBusConnection connection, unsigned scheme, bool readOneToo = true);
    ~FakePortal() override;

    void setScheme(unsigned scheme);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusConnection connection_;
    unsigned scheme_;
    bool readOne_;
};
