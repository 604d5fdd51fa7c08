#pragma once

#include "Platform/XPC/Socket.h"
#include "Tools/SMCHelper/HelperConfiguration.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <tuple>

namespace Aerlo {

// Decides whether a peer of the helper's socket may be served: its uid must be allowed and, unless
// this is a development run, the program it runs (the resolved /proc/<pid>/exe) must be the
// allowed client with the recorded SHA-256. The process's start time is read before and after the
// check, so that a pid taken over meanwhile fails it, and is kept from the accept on, so that a
// later message from another process under the same pid fails too.
// Known limit: code loaded into the genuine client (LD_PRELOAD, ptrace) passes.
class ClientVerifier {
public:
    explicit ClientVerifier(HelperConfiguration configuration, std::filesystem::path procRoot = "/proc");

    // Why the peer of a new connection may not be served, or nothing.
    std::optional<std::string> admit(const XPC::PeerCredentials& peer);
    // The same check again for a message, also refusing a process other than the one that connected.
    std::optional<std::string> recheck(const XPC::PeerCredentials& peer);

    const HelperConfiguration& configuration() const { return configuration_; }
    // The start time (field 22) of a /proc/<pid>/stat text; nothing when it cannot be parsed.
    static std::optional<std::uint64_t> startTime(std::string_view stat);

private:
    using FileIdentity = std::tuple<dev_t, ino_t, off_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t>;

    std::optional<std::string> check(const XPC::PeerCredentials& peer, bool admitting);
    std::optional<std::uint64_t> readStartTime(pid_t pid) const;
    std::optional<std::string> digest(const std::filesystem::path& executable);

    HelperConfiguration configuration_;
    std::filesystem::path procRoot_;
    std::mutex mutex_;
    std::map<pid_t, std::uint64_t> started_;             // start time of each connected process
    std::map<FileIdentity, std::string> digests_;        // SHA-256 by file identity
};

} // namespace Aerlo
