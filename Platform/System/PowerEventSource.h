#pragma once

#include "Platform/System/SystemExport.h"

#include <functional>

namespace SystemPlatform {

// A source of the machine's power and lock events. It posts them on the main thread: will-sleep,
// did-wake and will-power-off on the workspace centre, the screen lock pair on the distributed centre
// (the names of Foundation::WorkspaceNotificationName). Before sleep and power-off it holds the
// machine back until the observers of the posted notification and the before-release hook have run.
class AERLO_SYSTEM_EXPORT PowerEventSource {
public:
    virtual ~PowerEventSource() = default;

    // Runs on the main thread after a will-sleep or will-power-off has been delivered, before the
    // machine is let go (the place to wait for messages the observers sent). Set before start().
    virtual void setBeforeRelease(std::function<void()> hook) = 0;
    // Starts listening. False when no event can come (nothing else happens then).
    [[nodiscard]] virtual bool start() = 0;
    // Stops listening and lets the machine go; idempotent.
    virtual void stop() = 0;
};

} // namespace SystemPlatform
