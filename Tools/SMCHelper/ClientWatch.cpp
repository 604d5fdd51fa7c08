#include "Tools/SMCHelper/ClientWatch.h"

#include "Platform/System/DaemonProcess.h"
#include "Tools/SMCHelper/ClientVerifier.h"

#include <fstream>
#include <iterator>
#include <poll.h>
#include <unistd.h>

namespace Aerlo {

ClientWatch::ClientWatch(Ended ended, std::filesystem::path procRoot)
    : ended_(std::move(ended)), procRoot_(std::move(procRoot))
{
}

ClientWatch::~ClientWatch()
{
    queue_.stop();
}

std::optional<ClientProcess> ClientWatch::process(pid_t pid) const
{
    if (pid <= 0)
        return std::nullopt;
    std::ifstream stream(procRoot_ / std::to_string(pid) / "stat", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    // An exited process that is not reaped yet ("Z") has ended too.
    const auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size() || text[close + 2] == 'Z' || text[close + 2] == 'X')
        return std::nullopt;
    const auto start = ClientVerifier::startTime(text);
    if (!start)
        return std::nullopt;
    return ClientProcess {pid, *start};
}

bool ClientWatch::isRunning(const ClientProcess& run) const { return process(run.pid) == run; }

bool ClientWatch::watch(const ClientProcess& process)
{
    std::lock_guard lock(mutex_);
    if (watched_.count(process))
        return true;
    // The descriptor is taken first and the start time read after, so it holds this very run.
    Foundation::FileDescriptor fd(SystemPlatform::DaemonProcess::openPidfd(process.pid));
    if (!isRunning(process))
        return false;
    const int watchedFd = fd.get();
    watched_[process] = std::move(fd);
    if (watchedFd >= 0)
        queue_.watch(watchedFd, [this, process] { report(process); });
    return true;
}

bool ClientWatch::forget(const ClientProcess& process)
{
    std::lock_guard lock(mutex_);
    const auto found = watched_.find(process);
    if (found == watched_.end())
        return false;
    if (found->second)
        queue_.unwatch(found->second.get());
    watched_.erase(found);
    return true;
}

bool ClientWatch::isWatching(const ClientProcess& process) const
{
    std::lock_guard lock(mutex_);
    return watched_.count(process) > 0;
}

void ClientWatch::report(const ClientProcess& process)
{
    if (forget(process) && ended_)
        ended_(process);
}

std::size_t ClientWatch::check()
{
    std::vector<ClientProcess> ended;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [process, fd] : watched_)
            if (!isRunning(process))
                ended.push_back(process);
    }
    for (const auto& process : ended)
        report(process);
    return ended.size();
}

} // namespace Aerlo
