#pragma once

#include "Platform/Foundation/TestAccess.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace Kit {
class EventMonitor;
}

namespace Aerlo {

class AppDelegate;

// Holds the application's event monitors so that termination can stop them. They are Kit's: a local
// monitor sees each event a window of the program dispatches (and passes it on unchanged); a global one
// hears nothing here, but is held and removed alike. The last global monitor added is the one stop()
// removes. A monitor without a handler is inert (id 0). Nothing starts a monitor.
class QVEventMonitor {
public:
    // A monitor handed out by the add operations; inert ones have id 0.
    struct Monitor {
        std::uint64_t id = 0;
        bool operator==(const Monitor&) const = default;
    };
    using Handler = std::function<void(std::uint64_t eventMask)>;

    static QVEventMonitor& shared();

    QVEventMonitor();
    ~QVEventMonitor();
    QVEventMonitor(const QVEventMonitor&) = delete;
    QVEventMonitor& operator=(const QVEventMonitor&) = delete;

    // The application's delegate when the monitor was made.
    std::weak_ptr<AppDelegate> appDelegate;
    std::optional<Monitor> globalMouseObserver;

    static Monitor addGlobalMonitor(std::uint64_t mask, Handler handler);
    static Monitor addLocalMonitor(std::uint64_t mask, Handler handler);
    static void removeMonitor(const Monitor& monitor);

    // Removes the global mouse monitor when there is one.
    void stop();
    // The monitors held now.
    std::size_t monitorCount() const { return monitors_.size(); }

private:
    Monitor hold(std::shared_ptr<Kit::EventMonitor> monitor);

    std::map<std::uint64_t, std::shared_ptr<Kit::EventMonitor>> monitors_;
    std::uint64_t lastId_ = 0;

    friend struct ::TestAccess;
    // Tests: the next shared() is made afresh.
    static void resetForTesting();
};

} // namespace Aerlo
