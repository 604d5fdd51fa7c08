#include "tests/SMCHelper/HelperTestSupport.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/System/HelperPaths.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace HelperTest {

std::string frameOf(const std::string& payload)
{
    const auto n = static_cast<std::uint32_t>(payload.size());
    return std::string {static_cast<char>(n >> 24), static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                        static_cast<char>(n & 0xFF)} + payload;
}

int connectTo(const std::filesystem::path& path)
{
    Foundation::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (!fd || ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    return fd.release();
}

bool admitted(int fd, int milliseconds)
{
    static constexpr char greeting[] = "\0\0\0\x11{\"admitted\":true}";
    char got[sizeof greeting - 1];
    std::size_t have = 0;
    while (fd >= 0 && have < sizeof got) {
        pollfd entry {fd, POLLIN, 0};
        if (::poll(&entry, 1, milliseconds) != 1)
            return false;
        const ssize_t n = ::recv(fd, got + have, sizeof got - have, MSG_DONTWAIT);
        if (n <= 0)
            return false;
        have += static_cast<std::size_t>(n);
    }
    return fd >= 0 && std::memcmp(got, greeting, sizeof got) == 0;
}

int connectAdmitted(const std::filesystem::path& path)
{
    Foundation::FileDescriptor fd(connectTo(path));
    if (fd && !admitted(fd.get(), 2000))
        return -1;
    return fd.release();
}

bool replied(int fd, int milliseconds)
{
    pollfd entry {fd, POLLIN, 0};
    if (::poll(&entry, 1, milliseconds) != 1)
        return false;
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 1;
}

std::string executableOf(pid_t pid)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%d/exe", static_cast<int>(pid));
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

pid_t waitingChild()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    return child;
}

std::vector<std::string> logLines()
{
    std::ifstream stream(SystemPlatform::HelperPaths::logFile(label), std::ios::binary);
    const std::string text {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    // A line the daemon is writing at this moment has no newline yet: it is left for the next read.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<nlohmann::json> logRecords(const std::string& event)
{
    std::vector<nlohmann::json> records;
    for (const auto& line : logLines()) {
        auto record = nlohmann::json::parse(line, nullptr, false);
        EXPECT_FALSE(record.is_discarded()) << line;
        if (!record.is_discarded() && (event.empty() || record["event"] == event))
            records.push_back(std::move(record));
    }
    return records;
}

std::vector<std::string> loggedMessages()
{
    std::vector<std::string> messages;
    for (const auto& record : logRecords("message"))
        messages.push_back(record["sel"].get<std::string>() + " " + record["args"].dump());
    return messages;
}

std::filesystem::path testProgram() { return std::filesystem::canonical("/proc/self/exe"); }

std::string testProgramDigest()
{
    static const std::string digest = Foundation::FileDigest::sha256(testProgram()).value_or("");
    return digest;
}

Aerlo::HelperConfiguration configurationForThisProcess()
{
    Aerlo::HelperConfiguration configuration;
    configuration.allowedClientUIDs = {::getuid()};
    configuration.allowedClientPath = testProgram();
    configuration.allowedClientSHA256 = testProgramDigest();
    return configuration;
}

void HelperFixture::makeDaemon(Aerlo::HelperConfiguration configuration)
{
    Aerlo::HelperDaemon::Options options;
    options.version = "2.4.0";
    options.configuration = std::move(configuration);
    options.smcRegistry = machine.registry;
    options.clock = &machine.clock;
    daemon = std::make_unique<Aerlo::HelperDaemon>(options);
    const auto started = daemon->start();
    ASSERT_TRUE(started) << started.error();
    machine.device->resetLog();
}

bool HelperFixture::send(const std::string& sel, XPC::Message args) { return send(peer, sel, std::move(args)); }

bool HelperFixture::send(RecordingPeer& from, const std::string& sel, XPC::Message args)
{
    XPC::Request request;
    request.id = nextId++;
    request.sel = sel;
    request.args = std::move(args);
    return daemon->handle(from, request);
}

std::optional<std::string> HelperFixture::lastReply() const
{
    if (peer.replies.empty())
        return std::nullopt;
    return peer.replies.back().reply;
}

} // namespace HelperTest
