#pragma once

#include "Platform/System/PowerEventSource.h"

#include <memory>

namespace SystemPlatform {

// Power and lock events from the buses: logind's PrepareForSleep and PrepareForShutdown on the system
// bus, with a delay inhibitor ("sleep:shutdown") held so that the machine waits until the posted
// notification's observers and the before-release hook have run, then taken again after wake; the
// session's LockedHint (and its Lock and Unlock signals), with the screen saver's ActiveChanged on the
// session bus as well, posted once per change. The buses are the ones DBUS_SYSTEM_BUS_ADDRESS and
// DBUS_SESSION_BUS_ADDRESS name (else the usual ones). Without any bus, start() prints one line on
// standard error and gives false. The buses are served on a thread of the source's own.
class LogindPowerEventSource : public PowerEventSource {
public:
    LogindPowerEventSource();
    ~LogindPowerEventSource() override;
    LogindPowerEventSource(const LogindPowerEventSource&) = delete;
    LogindPowerEventSource& operator=(const LogindPowerEventSource&) = delete;

    void setBeforeRelease(std::function<void()> hook) override;
    [[nodiscard]] bool start() override;
    void stop() override;

    // Whether a delay inhibitor is held now (tests).
    bool holdsInhibitor() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace SystemPlatform
