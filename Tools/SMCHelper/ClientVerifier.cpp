#include "Tools/SMCHelper/ClientVerifier.h"

#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace Aerlo {

using Foundation::NumberText;

namespace {

constexpr std::size_t maximumDigestCache = 16;
constexpr std::size_t maximumVerifiedProcesses = 1024;


} // namespace

ClientVerifier::ClientVerifier(HelperConfiguration configuration, std::filesystem::path procRoot)
    : configuration_(std::move(configuration)), procRoot_(std::move(procRoot))
{
}

Foundation::Result<void> ClientVerifier::admitPeer(const XPC::PeerCredentials& peer) { return admit(peer, true); }


std::optional<std::uint64_t> ClientVerifier::startTime(std::string_view stat)
{
    // "pid (comm) state ppid …": comm may hold spaces and parentheses, so count from the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = stat.substr(close + 1);
    for (int field = 3; field <= 22; ++field) {
        const auto begin = rest.find_first_not_of(' ');
        if (begin == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(begin);
        const auto end = std::min(rest.find(' '), rest.size());
        if (field == 22) {
            std::uint64_t value = 0;
            const auto [last, error] = std::from_chars(rest.data(), rest.data() + end, value);
            if (error != std::errc() || last != rest.data() + end)
                return std::nullopt;
            return value;
        }
        rest.remove_prefix(end);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ClientVerifier::readStartTime(pid_t pid) const
{
    std::ifstream stream(procRoot_ / NumberText::decimal(pid) / "stat", std::ios::binary);
    if (!stream)
        return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    return startTime(text);
}

std::optional<std::string> ClientVerifier::digest(const std::filesystem::path& executable)
{
    // Hashing a large client on every message would be slow: digests are kept per file identity
    // (a change to the file changes its ctime).
    struct stat info {};
    if (::stat(executable.c_str(), &info) != 0)
        return std::nullopt;
    const FileIdentity identity {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
                                 info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
    if (const auto found = digests_.find(identity); found != digests_.end())
        return found->second;
    auto computed = Foundation::FileDigest::sha256(executable);
    if (!computed)
        return std::nullopt;
    if (digests_.size() >= maximumDigestCache)
        digests_.clear();
    digests_[identity] = *computed;
    return computed;
}

Foundation::Result<void> ClientVerifier::admitSender(const XPC::PeerCredentials& peer, const XPC::PeerCredentials& sender)
{
    if (sender.pid != peer.pid || sender.uid != peer.uid)
        return Foundation::Error("process " + NumberText::decimal(sender.pid) + " (uid " + NumberText::decimal(sender.uid) +
                                 ") wrote on the connection of process " + NumberText::decimal(peer.pid));
    return admit(sender, false);
}

std::optional<ClientVerifier::Identity> ClientVerifier::identity(pid_t pid) const
{
    const auto start = readStartTime(pid);
    struct stat image {};
    if (!start || ::stat((procRoot_ / NumberText::decimal(pid) / "exe").c_str(), &image) != 0)
        return std::nullopt;
    return Identity {*start, image.st_dev, image.st_ino,
                     static_cast<std::int64_t>(image.st_ctim.tv_sec) * 1000000000 + image.st_ctim.tv_nsec};
}

std::optional<std::uint64_t> ClientVerifier::verifiedStartTime(pid_t pid) const
{
    std::lock_guard lock(mutex_);
    const auto found = verified_.find(pid);
    return found == verified_.end() ? std::nullopt : std::optional(found->second.startTime);
}

Foundation::Result<void> ClientVerifier::admit(const XPC::PeerCredentials& peer, bool connecting)
{
    using Foundation::Error;
    std::lock_guard lock(mutex_);
    const auto& uids = configuration_.allowedClientUIDs;
    if (std::find(uids.begin(), uids.end(), peer.uid) == uids.end())
        return Error("uid " + NumberText::decimal(peer.uid) + " is not an allowed client");

    const auto process = "process " + NumberText::decimal(peer.pid);
    const auto before = peer.pid > 0 ? identity(peer.pid) : std::nullopt;
    if (!before)
        return Error(process + " cannot be inspected");
    // A process is checked once per start time and image; a pid taken over or an exec is checked again.
    const auto known = verified_.find(peer.pid);
    if (known != verified_.end()) {
        if (!connecting && known->second.startTime != before->startTime)
            return Error(process + " is not the process that connected");
        if (known->second == *before)
            return {};
        // Bytes read now may have been written before an exec: an image changed since admission is refused.
        if (!connecting)
            return Error(process + " runs another image than when it was admitted");
    }
    if (!configuration_.development) {
        if (auto executable = admitExecutable(peer.pid); !executable)
            return executable;
        if (identity(peer.pid) != before)
            return Error(process + " changed during the check");
    }
    if (verified_.size() >= maximumVerifiedProcesses)
        verified_.clear();
    verified_[peer.pid] = *before;
    return {};
}

Foundation::Result<void> ClientVerifier::admitExecutable(pid_t pid)
{
    using Foundation::Error;
    const auto process = "process " + NumberText::decimal(pid);
    const auto link = procRoot_ / NumberText::decimal(pid) / "exe";
    char resolved[PATH_MAX];
    if (!::realpath(link.c_str(), resolved))
        return Error("the executable of " + process + " cannot be resolved");
    const std::filesystem::path executable = resolved;
    if (executable != configuration_.allowedClientPath)
        return Error("the executable " + executable.string() + " of " + process + " is not the allowed client " +
                     configuration_.allowedClientPath.string());
    // The digest of the image the process runs, through its own link (not the path, which may change).
    const auto sha256 = digest(link);
    if (!sha256)
        return Error("the executable of " + process + " cannot be read");
    if (*sha256 != configuration_.allowedClientSHA256)
        return Error("the executable " + executable.string() + " of " + process + " does not have the recorded SHA-256");
    return {};
}

} // namespace Aerlo
