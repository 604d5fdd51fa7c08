#pragma once

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/XPC/PrivateQueue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace Aerlo {

// One run of a process: its pid and its start time (so that a reused pid is another process).
struct ClientProcess {
    pid_t pid = 0;
    std::uint64_t startTime = 0;
    auto operator<=>(const ClientProcess&) const = default;
};

// Tells when client processes end, by any signal or crash: each watched process is held by a
// pidfd, which becomes readable the moment it exits; `ended` then runs on the watch's own thread.
// Where pidfds are not available, check() finds the ended ones by their start time.
class ClientWatch {
public:
    using Ended = std::function<void(const ClientProcess& process)>;

    explicit ClientWatch(Ended ended, std::filesystem::path procRoot = "/proc");
    ~ClientWatch();
    ClientWatch(const ClientWatch&) = delete;
    ClientWatch& operator=(const ClientWatch&) = delete;

    // Watches the process until it ends or is forgotten. False when it does not run now.
    [[nodiscard]] bool watch(const ClientProcess& process);
    // False when it was not watched.
    bool forget(const ClientProcess& process);
    bool isWatching(const ClientProcess& process) const;
    // The run of process `pid` going on now.
    std::optional<ClientProcess> process(pid_t pid) const;
    // True while that run of the process goes on.
    bool isRunning(const ClientProcess& process) const;
    // Reports the watched processes that have ended (for a watch without pidfds); their number.
    std::size_t check();

private:
    void report(const ClientProcess& process);

    Ended ended_;
    std::filesystem::path procRoot_;
    mutable std::mutex mutex_;
    std::map<ClientProcess, Foundation::FileDescriptor> watched_; // the pidfd of each, empty when none opened
    XPC::PrivateQueue queue_{"helper.clients"};
};

} // namespace Aerlo
