#include "Classes/App/QVAppRunningChecker.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/Application.h"
#include "Platform/System/ProcessApplicationLauncher.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace Aerlo {

namespace {

constexpr char quitRequest[] = "quit";

Foundation::SharedInstance<QVAppRunningChecker>& instance()
{
    static Foundation::SharedInstance<QVAppRunningChecker> shared;
    return shared;
}

} // namespace

QVAppRunningChecker& QVAppRunningChecker::shared()
{
    return instance().get();
}

void QVAppRunningChecker::resetForTesting()
{
    instance().resetForTesting();
}

QVAppRunningChecker::QVAppRunningChecker()
    : quitHandler_([] { Foundation::DispatchQueue::main().async([] { Kit::Application::shared().terminate(); }); })
{
}

QVAppRunningChecker::~QVAppRunningChecker()
{
    stopListening();
}

std::filesystem::path QVAppRunningChecker::socketPath()
{
    const std::string identifier = Foundation::Bundle::main().bundleIdentifier().value_or("com.norvane.AerloOffline");
    return SystemPlatform::ProcessApplicationLauncher::registrationSocket(identifier);
}

void QVAppRunningChecker::setQuitHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    quitHandler_ = std::move(handler);
}

void QVAppRunningChecker::postTellOldSameAppToQuit()
{
    if (isListening())
        return;
    tellOldCopyToQuit();
    listen();
}

void QVAppRunningChecker::tellOldCopyToQuit()
{
    const auto address = Foundation::unixAddress(socketPath());
    if (!address)
        return;
    Foundation::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd)
        return;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
        || ::send(fd.get(), quitRequest, sizeof quitRequest - 1, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof quitRequest - 1))
        return;
    // The old copy holds the connection until its process ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(waitSeconds);
    bool gone = false;
    while (!gone) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd entry {fd.get(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char byte;
        const ssize_t got = ::recv(fd.get(), &byte, 1, 0);
        gone = got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN);
    }
    fd.reset();
    if (!gone)
        Foundation::Console::print("旧的应用没有在 3 秒内退出");
}

void QVAppRunningChecker::listen()
{
    const std::filesystem::path path = socketPath();
    const auto address = Foundation::unixAddress(path);
    if (!address)
        return;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::filesystem::remove(path, error);
    Foundation::FileDescriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener)
        return;
    Foundation::FileDescriptor stopper[2];
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
        || ::listen(listener.get(), 4) != 0 || !Foundation::FileDescriptor::openPipe(stopper))
        return;
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
    stopPipe_[0] = std::move(stopper[0]);
    stopPipe_[1] = std::move(stopper[1]);
    thread_ = std::thread([this, listener = listener_.get(), stop = stopPipe_[0].get()] { serve(listener, stop); });
}

void QVAppRunningChecker::serve(int listener, int stopper)
{
    for (;;) {
        pollfd entries[2] = {{listener, POLLIN, 0}, {stopper, POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (entries[1].revents != 0)
            return;
        Foundation::FileDescriptor client(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (!client)
            continue;
        char request[sizeof quitRequest - 1];
        std::size_t got = 0;
        pollfd entry {client.get(), POLLIN, 0};
        while (got < sizeof request && ::poll(&entry, 1, 1000) > 0) {
            const ssize_t n = ::recv(client.get(), request + got, sizeof request - got, 0);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        if (got != sizeof request || std::memcmp(request, quitRequest, sizeof request) != 0)
            continue;
        std::function<void()> handler;
        {
            std::lock_guard lock(mutex_);
            held_.push_back(std::move(client));
            handler = quitHandler_;
        }
        if (handler)
            handler();
    }
}

void QVAppRunningChecker::stopListening()
{
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (stopPipe_[1])
            (void)!::write(stopPipe_[1].get(), "x", 1);
        thread = std::move(thread_);
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
    std::lock_guard lock(mutex_);
    if (listener_) {
        std::error_code error;
        std::filesystem::remove(socketPath(), error);
    }
    listener_.reset();
    stopPipe_[0].reset();
    stopPipe_[1].reset();
    held_.clear();
}

bool QVAppRunningChecker::isListening() const
{
    std::lock_guard lock(mutex_);
    return listener_.valid();
}

} // namespace Aerlo
