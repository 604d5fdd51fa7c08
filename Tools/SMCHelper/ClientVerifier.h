#pragma once

#include "Platform/Foundation/Result.h"
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
// allowed client with the recorded SHA-256. The process's start time and image are read before and
// after the check, so that a pid taken over or an exec meanwhile fails it; a verified process is
// remembered by its pid, start time and image, so that the check of each message is cheap and a
// message from a process whose image changed since it was admitted is refused (a new connection
// is checked again).
// Known limit: code loaded into the genuine client (LD_PRELOAD, ptrace) passes.
class ClientVerifier {
public:
    explicit ClientVerifier(HelperConfiguration configuration, std::filesystem::path procRoot = "/proc");

    // Admits the peer of a new connection to be served, or says why not.
    [[nodiscard]] Foundation::Result<void> admitPeer(const XPC::PeerCredentials& peer);
    // Admits the bytes `sender` wrote on the connection of `peer` to be read, or says why not: only
    // the process that connected, still running the allowed client, may write on its connection.
    [[nodiscard]] Foundation::Result<void> admitSender(const XPC::PeerCredentials& peer,
                                                       const XPC::PeerCredentials& sender);
    // The start time of a process that passed the check.
    std::optional<std::uint64_t> verifiedStartTime(pid_t pid) const;

    const HelperConfiguration& configuration() const { return configuration_; }
    // The start time (field 22) of a /proc/<pid>/stat text; nothing when it cannot be parsed.
    static std::optional<std::uint64_t> startTime(std::string_view stat);

private:
    using FileIdentity = std::tuple<dev_t, ino_t, off_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t>;
    // A process as it runs: its start time and the file of its image (a change to the file changes its ctime).
    struct Identity {
        std::uint64_t startTime = 0;
        dev_t device = 0;
        ino_t inode = 0;
        std::int64_t changed = 0; // ctime, nanoseconds
        bool operator==(const Identity&) const = default;
    };

    Foundation::Result<void> admit(const XPC::PeerCredentials& peer, bool connecting);
    Foundation::Result<void> admitExecutable(pid_t pid);
    std::optional<Identity> identity(pid_t pid) const;
    std::optional<std::uint64_t> readStartTime(pid_t pid) const;
    std::optional<std::string> digest(const std::filesystem::path& executable);

    HelperConfiguration configuration_;
    std::filesystem::path procRoot_;
    mutable std::mutex mutex_;
    std::map<pid_t, Identity> verified_; // processes that passed
    std::map<FileIdentity, std::string> digests_; // SHA-256 by file identity
};

} // namespace Aerlo
