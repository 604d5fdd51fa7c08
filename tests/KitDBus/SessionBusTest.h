#pragma once

#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TempRoot.h"

#include <QDBusConnection>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class PrivateBus;

// A Kit test on a private session bus of its own (DBUS_SESSION_BUS_ADDRESS), with a second connection
// to it for the other side (a host, a portal).
class SessionBusTest : public Kit::Testing::KitTest {
protected:
    SessionBusTest();
    ~SessionBusTest() override;
    void SetUp() override;
    void TearDown() override;

    QDBusConnection& host() { return *host_; }
    // Runs Qt's events and the main run loop until `condition` holds (false after 10 s without).
    bool spinUntil(const std::function<bool()>& condition);
    // A property read by the other side, waiting for the answer while this side serves it.
    QVariant hostProperty(const QString& service, const QString& path, const QString& interface, const QString& name);
    const TempRoot& temp() const { return temp_; }

private:
    TempRoot temp_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<QDBusConnection> host_;
};
