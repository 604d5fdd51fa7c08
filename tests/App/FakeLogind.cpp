#include "tests/App/FakeLogind.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Process.h"

#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

struct PrivateBus::Daemon {
    std::unique_ptr<Foundation::Process> process;
};

PrivateBus::PrivateBus(const fs::path& folder, const char* variable)
    : daemon_(std::make_unique<Daemon>()), variable_(variable)
{
    if (const char* old = std::getenv(variable))
        previous_ = old;
    fs::create_directories(folder);
    const fs::path socket = folder / "bus";
    Foundation::ProcessOptions options;
    options.standardOutput = Foundation::ProcessOutput::discard;
    options.standardError = Foundation::ProcessOutput::discard;
    daemon_->process = std::make_unique<Foundation::Process>(
        AERLO_DBUS_DAEMON,
        std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket.string()},
        options);
    if (!daemon_->process->run().ok())
        return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(socket) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    running_ = fs::exists(socket);
    ::setenv(variable, ("unix:path=" + socket.string()).c_str(), 1);
}

PrivateBus::~PrivateBus()
{
    if (previous_)
        ::setenv(variable_.c_str(), previous_->c_str(), 1);
    else
        ::unsetenv(variable_.c_str());
    if (daemon_->process && daemon_->process->isLaunched()) {
        daemon_->process->terminate();
        // A bus still running after the wait is reaped in the background once it ends.
        static_cast<void>(daemon_->process->waitUntilExit(5.0));
    }
}

struct FakeLogind::Impl {
    sd_bus* system = nullptr;
    sd_bus* session = nullptr;
    sd_bus_slot* managerSlot = nullptr;
    sd_bus_slot* sessionSlot = nullptr;
    Foundation::FileDescriptor wakeFd;
    std::atomic<bool> running{true};
    std::thread thread;

    mutable std::mutex mutex;
    std::deque<std::function<void()>> commands;
    std::vector<Foundation::FileDescriptor> inhibitors; // read ends
    std::vector<std::string> calls;
    bool lockedHint = false;
    bool serving = false;

    static int inhibit(sd_bus_message* message, void* userdata, sd_bus_error*)
    {
        auto& impl = *static_cast<Impl*>(userdata);
        const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
        if (sd_bus_message_read(message, "ssss", &what, &who, &why, &mode) < 0)
            return -EINVAL;
        Foundation::FileDescriptor ends[2];
        if (!Foundation::FileDescriptor::openPipe(ends))
            return -errno;
        const int result = sd_bus_reply_method_return(message, "h", ends[1].get());
        std::lock_guard lock(impl.mutex);
        impl.inhibitors.push_back(std::move(ends[0]));
        impl.calls.push_back(std::string(what) + " " + mode);
        return result;
    }

    static int sessionByPid(sd_bus_message* message, void*, sd_bus_error*)
    {
        std::uint32_t pid = 0;
        if (sd_bus_message_read(message, "u", &pid) < 0)
            return -EINVAL;
        return sd_bus_reply_method_return(message, "o", sessionPath);
    }

    static int lockedHintProperty(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                                  void* userdata, sd_bus_error*)
    {
        auto& impl = *static_cast<Impl*>(userdata);
        int value = 0;
        {
            std::lock_guard lock(impl.mutex);
            value = impl.lockedHint;
        }
        return sd_bus_message_append(reply, "b", value);
    }

    static const sd_bus_vtable* managerTable()
    {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "ssss", "h", inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("GetSessionByPID", "u", "o", sessionByPid, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_SIGNAL("PrepareForSleep", "b", 0),
            SD_BUS_SIGNAL("PrepareForShutdown", "b", 0),
            SD_BUS_VTABLE_END,
        };
        return table;
    }

    static const sd_bus_vtable* sessionTable()
    {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_PROPERTY("LockedHint", "b", lockedHintProperty, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
            SD_BUS_SIGNAL("Lock", "", 0),
            SD_BUS_SIGNAL("Unlock", "", 0),
            SD_BUS_VTABLE_END,
        };
        return table;
    }

    bool setUp()
    {
        if (sd_bus_open_system(&system) < 0 || sd_bus_open_user(&session) < 0)
            return false;
        if (sd_bus_add_object_vtable(system, &managerSlot, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                     managerTable(), this) < 0 ||
            sd_bus_add_object_vtable(system, &sessionSlot, sessionPath, "org.freedesktop.login1.Session",
                                     sessionTable(), this) < 0)
            return false;
        return sd_bus_request_name(system, "org.freedesktop.login1", 0) >= 0;
    }

    void run(std::promise<bool>& ready)
    {
        const bool ok = setUp();
        {
            std::lock_guard lock(mutex);
            serving = ok;
        }
        ready.set_value(ok);
        if (!ok)
            return;
        while (running.load()) {
            for (;;) {
                std::function<void()> command;
                {
                    std::lock_guard lock(mutex);
                    if (commands.empty())
                        break;
                    command = std::move(commands.front());
                    commands.pop_front();
                }
                command();
            }
            while (sd_bus_process(system, nullptr) > 0) {
            }
            while (sd_bus_process(session, nullptr) > 0) {
            }
            pollfd fds[3] = {{wakeFd.get(), POLLIN, 0},
                             {sd_bus_get_fd(system), static_cast<short>(sd_bus_get_events(system)), 0},
                             {sd_bus_get_fd(session), static_cast<short>(sd_bus_get_events(session)), 0}};
            ::poll(fds, 3, 50);
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(wakeFd.get(), &count, sizeof count);
        }
    }

    void send(std::function<void()> command)
    {
        {
            std::lock_guard lock(mutex);
            commands.push_back(std::move(command));
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd.get(), &one, sizeof one);
    }

    void emit(const char* member, std::optional<bool> value)
    {
        send([this, member, value] {
            if (value)
                sd_bus_emit_signal(system, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", member, "b",
                                   int(*value));
            else
                sd_bus_emit_signal(system, sessionPath, "org.freedesktop.login1.Session", member, "");
            sd_bus_flush(system);
        });
    }
};

FakeLogind::FakeLogind() : impl_(std::make_unique<Impl>())
{
    impl_->wakeFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    std::promise<bool> ready;
    auto started = ready.get_future();
    impl_->thread = std::thread([this, &ready] { impl_->run(ready); });
    started.wait();
}

FakeLogind::~FakeLogind()
{
    impl_->running = false;
    impl_->send([] {});
    impl_->thread.join();
    sd_bus_slot_unref(impl_->managerSlot);
    sd_bus_slot_unref(impl_->sessionSlot);
    sd_bus_flush_close_unref(impl_->system);
    sd_bus_flush_close_unref(impl_->session);
}

bool FakeLogind::serving() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->serving;
}

void FakeLogind::emitPrepareForSleep(bool start) { impl_->emit("PrepareForSleep", start); }
void FakeLogind::emitPrepareForShutdown(bool start) { impl_->emit("PrepareForShutdown", start); }
void FakeLogind::emitLock() { impl_->emit("Lock", std::nullopt); }
void FakeLogind::emitUnlock() { impl_->emit("Unlock", std::nullopt); }

void FakeLogind::setLockedHint(bool locked)
{
    impl_->send([impl = impl_.get(), locked] {
        {
            std::lock_guard lock(impl->mutex);
            impl->lockedHint = locked;
        }
        sd_bus_emit_properties_changed(impl->system, sessionPath, "org.freedesktop.login1.Session", "LockedHint",
                                       nullptr);
        sd_bus_flush(impl->system);
    });
}

void FakeLogind::emitScreenSaverActive(bool active)
{
    impl_->send([impl = impl_.get(), active] {
        sd_bus_emit_signal(impl->session, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                           "ActiveChanged", "b", int(active));
        sd_bus_flush(impl->session);
    });
}

std::size_t FakeLogind::inhibitorsTaken() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->inhibitors.size();
}

bool FakeLogind::inhibitorHeld(std::size_t index) const
{
    int fd = -1;
    {
        std::lock_guard lock(impl_->mutex);
        if (index >= impl_->inhibitors.size())
            return false;
        fd = impl_->inhibitors[index].get();
    }
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 0; // the far end closed: POLLHUP
}

std::vector<std::string> FakeLogind::inhibitCalls() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->calls;
}
