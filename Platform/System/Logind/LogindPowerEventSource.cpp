#include "Platform/System/Logind/LogindPowerEventSource.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/WorkspaceNotificationName.h"

#include <systemd/sd-bus.h>

#include <atomic>
#include <fcntl.h>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace SystemPlatform {

namespace {

constexpr const char* logindService = "org.freedesktop.login1";
constexpr const char* logindPath = "/org/freedesktop/login1";
constexpr const char* managerInterface = "org.freedesktop.login1.Manager";
constexpr const char* sessionInterface = "org.freedesktop.login1.Session";

using Foundation::WorkspaceNotificationName;

} // namespace

struct LogindPowerEventSource::Impl : std::enable_shared_from_this<Impl> {
    std::mutex mutex;
    std::function<void()> beforeRelease;
    Foundation::FileDescriptor inhibitor;
    std::optional<bool> locked;

    std::thread thread;
    Foundation::FileDescriptor wakeFd;
    std::atomic<bool> running{false};
    sd_bus* system = nullptr;
    sd_bus* session = nullptr;

    ~Impl() { closeBuses(); }

    void closeBuses()
    {
        system = sd_bus_flush_close_unref(system);
        session = sd_bus_flush_close_unref(session);
        wakeFd.reset();
    }

    // --- bus thread ---

    void takeInhibitor()
    {
        if (!system)
            return;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int received = -1; // the message's own
        Foundation::FileDescriptor fd;
        if (sd_bus_call_method(system, logindService, logindPath, managerInterface, "Inhibit", &error, &reply, "ssss",
                               "sleep:shutdown", "Aerlo", "Returning the fans to the system", "delay") >= 0 &&
            sd_bus_message_read(reply, "h", &received) >= 0)
            fd.reset(::fcntl(received, F_DUPFD_CLOEXEC, 3));
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        if (!fd)
            return;
        std::lock_guard lock(mutex);
        inhibitor = std::move(fd);
    }

    // Posts on the main thread; for the "will" events the inhibitor held now is released afterwards.
    void postPower(std::string_view name, bool releaseAfter)
    {
        auto held = std::make_shared<Foundation::FileDescriptor>();
        std::function<void()> hook;
        {
            std::lock_guard lock(mutex);
            if (releaseAfter)
                *held = std::move(inhibitor);
            hook = beforeRelease;
        }
        Foundation::DispatchQueue::main().async([name = std::string(name), releaseAfter, held, hook] {
            Foundation::NotificationCenter::workspace().post(name);
            if (releaseAfter && hook)
                hook();
            held->reset();
        });
    }

    void setLocked(bool value)
    {
        {
            std::lock_guard lock(mutex);
            if (locked == value)
                return;
            locked = value;
        }
        Foundation::DispatchQueue::main().async([value] {
            Foundation::NotificationCenter::distributed().post(value ? WorkspaceNotificationName::screenIsLocked
                                                                     : WorkspaceNotificationName::screenIsUnlocked);
        });
    }

    static Impl& of(void* userdata) { return *static_cast<Impl*>(userdata); }

    static int onPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*)
    {
        int going = 0;
        if (sd_bus_message_read(message, "b", &going) < 0)
            return 0;
        Impl& impl = of(userdata);
        if (going) {
            impl.postPower(WorkspaceNotificationName::willSleep, true);
        } else {
            impl.postPower(WorkspaceNotificationName::didWake, false);
            impl.takeInhibitor();
        }
        return 0;
    }

    static int onPrepareForShutdown(sd_bus_message* message, void* userdata, sd_bus_error*)
    {
        int going = 0;
        if (sd_bus_message_read(message, "b", &going) < 0)
            return 0;
        Impl& impl = of(userdata);
        if (going)
            impl.postPower(WorkspaceNotificationName::willPowerOff, true);
        else
            impl.takeInhibitor(); // the power-off was called off
        return 0;
    }

    static int onLock(sd_bus_message*, void* userdata, sd_bus_error*)
    {
        of(userdata).setLocked(true);
        return 0;
    }

    static int onUnlock(sd_bus_message*, void* userdata, sd_bus_error*)
    {
        of(userdata).setLocked(false);
        return 0;
    }

    // PropertiesChanged(s interface, a{sv} changed, as invalidated): only LockedHint matters.
    static int onSessionProperties(sd_bus_message* message, void* userdata, sd_bus_error*)
    {
        const char* interface = nullptr;
        if (sd_bus_message_read(message, "s", &interface) < 0 || std::string_view(interface) != sessionInterface)
            return 0;
        if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0)
            return 0;
        while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
            const char* name = nullptr;
            if (sd_bus_message_read(message, "s", &name) < 0)
                return 0;
            int value = 0;
            if (std::string_view(name) == "LockedHint" && sd_bus_message_read(message, "v", "b", &value) >= 0)
                of(userdata).setLocked(value != 0);
            else if (sd_bus_message_skip(message, "v") < 0)
                return 0;
            sd_bus_message_exit_container(message);
        }
        return 0;
    }

    static int onScreenSaverActive(sd_bus_message* message, void* userdata, sd_bus_error*)
    {
        int active = 0;
        if (sd_bus_message_read(message, "b", &active) >= 0)
            of(userdata).setLocked(active != 0);
        return 0;
    }

    // The object path of this process's session, or of the caller's session.
    std::optional<std::string> sessionPath()
    {
        std::optional<std::string> path;
        for (const bool byPid : {true, false}) {
            sd_bus_error error = SD_BUS_ERROR_NULL;
            sd_bus_message* reply = nullptr;
            const int result = byPid ? sd_bus_call_method(system, logindService, logindPath, managerInterface,
                                                          "GetSessionByPID", &error, &reply, "u",
                                                          static_cast<std::uint32_t>(::getpid()))
                                     : sd_bus_call_method(system, logindService, logindPath, managerInterface,
                                                          "GetSession", &error, &reply, "s", "auto");
            const char* object = nullptr;
            if (result >= 0 && sd_bus_message_read(reply, "o", &object) >= 0)
                path = object;
            sd_bus_message_unref(reply);
            sd_bus_error_free(&error);
            if (path)
                break;
        }
        return path;
    }

    void readLockedHint(const std::string& path)
    {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        int value = 0;
        if (sd_bus_get_property_trivial(system, logindService, path.c_str(), sessionInterface, "LockedHint", &error,
                                        'b', &value) >= 0) {
            std::lock_guard lock(mutex);
            locked = value != 0;
        }
        sd_bus_error_free(&error);
    }

    void setUpSystem()
    {
        if (sd_bus_open_system(&system) < 0 || !usable(system)) {
            system = sd_bus_flush_close_unref(system);
            return;
        }
        sd_bus_match_signal(system, nullptr, logindService, logindPath, managerInterface, "PrepareForSleep",
                            onPrepareForSleep, this);
        sd_bus_match_signal(system, nullptr, logindService, logindPath, managerInterface, "PrepareForShutdown",
                            onPrepareForShutdown, this);
        if (const auto path = sessionPath()) {
            sd_bus_match_signal(system, nullptr, logindService, path->c_str(), sessionInterface, "Lock", onLock, this);
            sd_bus_match_signal(system, nullptr, logindService, path->c_str(), sessionInterface, "Unlock", onUnlock,
                                this);
            sd_bus_match_signal(system, nullptr, logindService, path->c_str(), "org.freedesktop.DBus.Properties",
                                "PropertiesChanged", onSessionProperties, this);
            readLockedHint(*path);
        }
        takeInhibitor();
    }

    void setUpSession()
    {
        if (sd_bus_open_user(&session) < 0 || !usable(session)) {
            session = sd_bus_flush_close_unref(session);
            return;
        }
        sd_bus_match_signal(session, nullptr, nullptr, nullptr, "org.freedesktop.ScreenSaver", "ActiveChanged",
                            onScreenSaverActive, this);
    }

    // Whether the bus answers (the connection is made lazily).
    static bool usable(sd_bus* bus)
    {
        const char* name = nullptr;
        return sd_bus_get_unique_name(bus, &name) >= 0;
    }

    static void process(sd_bus* bus)
    {
        if (!bus)
            return;
        while (sd_bus_process(bus, nullptr) > 0) {
        }
    }

    void serve()
    {
        while (running.load()) {
            pollfd fds[3] = {{wakeFd.get(), POLLIN, 0}, {-1, 0, 0}, {-1, 0, 0}};
            int timeout = -1;
            sd_bus* buses[2] = {system, session};
            for (int i = 0; i < 2; ++i) {
                if (!buses[i])
                    continue;
                fds[i + 1].fd = sd_bus_get_fd(buses[i]);
                fds[i + 1].events = static_cast<short>(sd_bus_get_events(buses[i]));
                std::uint64_t usec = 0;
                if (sd_bus_get_timeout(buses[i], &usec) > 0 && usec != UINT64_MAX)
                    timeout = 10; // a pending timeout: look again soon
            }
            ::poll(fds, 3, timeout);
            process(system);
            process(session);
        }
    }
};

LogindPowerEventSource::LogindPowerEventSource() : impl_(std::make_shared<Impl>()) {}

LogindPowerEventSource::~LogindPowerEventSource()
{
    stop();
}

void LogindPowerEventSource::setBeforeRelease(std::function<void()> hook)
{
    std::lock_guard lock(impl_->mutex);
    impl_->beforeRelease = std::move(hook);
}

bool LogindPowerEventSource::start()
{
    Impl& impl = *impl_;
    if (impl.running.load())
        return true;
    impl.wakeFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    std::promise<bool> ready;
    auto started = ready.get_future();
    impl.running = true;
    impl.thread = std::thread([&impl, &ready] {
        impl.setUpSystem();
        impl.setUpSession();
        const bool any = impl.system || impl.session;
        if (!any)
            impl.running = false;
        ready.set_value(any);
        if (any) {
            Impl::process(impl.system);
            Impl::process(impl.session);
            impl.serve();
        }
    });
    if (started.get())
        return true;
    impl.thread.join();
    impl.closeBuses();
    Foundation::Console::printError("No D-Bus system or session bus: sleep, wake and lock events will not be seen.");
    return false;
}

void LogindPowerEventSource::stop()
{
    Impl& impl = *impl_;
    if (impl.thread.joinable()) {
        impl.running = false;
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(impl.wakeFd.get(), &one, sizeof one);
        impl.thread.join();
    }
    impl.closeBuses();
    std::lock_guard lock(impl.mutex);
    impl.inhibitor.reset();
}

bool LogindPowerEventSource::holdsInhibitor() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->inhibitor.valid();
}

} // namespace SystemPlatform
