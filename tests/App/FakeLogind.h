#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A private dbus-daemon for the life of the object, its address exported under `variable`
// (DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS) and the old value put back afterwards.
class PrivateBus {
public:
    PrivateBus(const std::filesystem::path& folder, const char* variable);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const { return running_; }

private:
    struct Daemon;
    std::unique_ptr<Daemon> daemon_;
    std::string variable_;
    std::optional<std::string> previous_;
    bool running_ = false;
};

// A small logind on the system bus (DBUS_SYSTEM_BUS_ADDRESS): Inhibit hands out one end of a pipe and
// keeps the other, so that the test sees when the caller lets it go; GetSessionByPID and the
// session's LockedHint, Lock and Unlock; PrepareForSleep and PrepareForShutdown on request. It also
// emits the screen saver's ActiveChanged on the session bus. Served on a thread of its own.
class FakeLogind {
public:
    static constexpr const char* sessionPath = "/org/freedesktop/login1/session/_31";

    FakeLogind();
    ~FakeLogind();
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;

    bool serving() const;

    void emitPrepareForSleep(bool start);
    void emitPrepareForShutdown(bool start);
    // Sets LockedHint and announces it with PropertiesChanged.
    void setLockedHint(bool locked);
    void emitLock();
    void emitUnlock();
    void emitScreenSaverActive(bool active);

    // Inhibitors handed out so far, and whether each is still held by someone.
    std::size_t inhibitorsTaken() const;
    bool inhibitorHeld(std::size_t index) const;
    // The "what" and "mode" of the Inhibit calls.
    std::vector<std::string> inhibitCalls() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
