#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace Aerlo {

class AppDelegate;

// Holds the application's event monitors so that termination can stop them. Global monitors are not
// supported here: adding one gives an inert token. Nothing starts a monitor.
class QVEventMonitor {
public:
    // A monitor handed out by the add operations; inert ones have id 0.
    struct Monitor {
        std::uint64_t id = 0;
        bool operator==(const Monitor&) const = default;
    };
    using Handler = std::function<void(std::uint64_t eventMask)>;

    static QVEventMonitor& shared();
    // Tests: the next shared() is made afresh.
    static void resetShared();

    QVEventMonitor();

    // The application's delegate when the monitor was made.
    std::weak_ptr<AppDelegate> appDelegate;
    std::optional<Monitor> globalMouseObserver;

    static Monitor addGlobalMonitor(std::uint64_t mask, Handler handler);
    static Monitor addLocalMonitor(std::uint64_t mask, Handler handler);
    // Both kinds; the global one first.
    static std::pair<Monitor, Monitor> addMonitors(std::uint64_t mask, Handler handler);
    static void removeMonitor(const Monitor& monitor);

    // Removes the global mouse monitor when there is one.
    void stop();
};

} // namespace Aerlo
