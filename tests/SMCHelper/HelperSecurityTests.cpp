#include "Platform/System/HelperPaths.h"
#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Socket.h"
#include "Tools/SMCHelper/ClientVerifier.h"
#include "tests/SMCHelper/HelperTestSupport.h"

#include <fstream>
#include <future>
#include <poll.h>

namespace {

namespace fs = std::filesystem;
using Aerlo::ClientVerifier;
using Aerlo::HelperConfiguration;
using HelperTest::HelperFixture;
using HelperTest::logRecords;
using SystemPlatform::HelperPaths;

constexpr const char* fanMode = "setFanModeWithId:mode:completion:";

// "pid (comm) state ppid …" with `start` as field 22.
std::string statLine(pid_t pid, unsigned long long start, const std::string& comm = "Aerlo")
{
    std::string line = std::to_string(pid) + " (" + comm + ") S";
    for (int field = 4; field <= 21; ++field)
        line += " " + std::to_string(field);
    return line + " " + std::to_string(start) + " 23 24\n";
}

// A /proc of one made-up process: its stat and its exe link.
class FakeProc {
public:
    explicit FakeProc(const fs::path& root) : root_(root / "proc") {}

    void process(pid_t pid, const fs::path& executable, unsigned long long start)
    {
        const auto folder = root_ / std::to_string(pid);
        fs::create_directories(folder);
        std::ofstream(folder / "stat") << statLine(pid, start);
        fs::remove(folder / "exe");
        fs::create_symlink(executable, folder / "exe");
    }
    void restart(pid_t pid, unsigned long long start)
    {
        std::ofstream(root_ / std::to_string(pid) / "stat") << statLine(pid, start);
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

TEST(ClientVerifierTest, StartTimeIsFieldTwentyTwoWhateverTheCommandName)
{
    EXPECT_EQ(ClientVerifier::startTime(statLine(42, 987654321)), 987654321u);
    EXPECT_EQ(ClientVerifier::startTime(statLine(42, 7, "a) (b c) S 1")), 7u);
    EXPECT_EQ(ClientVerifier::startTime("42 (short) S 1 2 3"), std::nullopt);
    EXPECT_EQ(ClientVerifier::startTime("no parenthesis"), std::nullopt);
    EXPECT_EQ(ClientVerifier::startTime(statLine(42, 1).replace(statLine(42, 1).find(" 1 23"), 2, " x")),
              std::nullopt);
}

TEST(ClientVerifierTest, ChecksUidExecutablePathDigestAndTheProcessThatConnected)
{
    TempRoot root;
    FakeProc proc(root.path());
    const auto client = root.path() / "Aerlo.app/Contents/MacOS/Aerlo";
    const auto other = root.path() / "other";
    fs::create_directories(client.parent_path());
    std::ofstream(client) << "fake client\n";
    std::ofstream(other) << "fake client\n"; // the same bytes at another path
    const auto impostor = root.path() / "Aerlo.app/Contents/MacOS/Impostor";
    std::ofstream(impostor) << "another program\n";
    fs::create_symlink(client, root.path() / "link-to-client");

    HelperConfiguration configuration;
    configuration.allowedClientUIDs = {501};
    configuration.allowedClientPath = fs::canonical(client);
    // SHA-256 of "fake client\n".
    configuration.allowedClientSHA256 = "68263aa24ab22d93b521f6a431d85c1d032b747560bd0e628f7bf7b7ec63f65f";
    ClientVerifier verifier(configuration, proc.root());

    proc.process(100, root.path() / "link-to-client", 5000);
    EXPECT_EQ(verifier.admit({100, 501, 20}), std::nullopt);
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}), std::nullopt);
    EXPECT_EQ(verifier.verifiedStartTime(100), 5000u);
    EXPECT_EQ(verifier.admit({100, 0, 0}), "uid 0 is not an allowed client");

    proc.process(101, other, 5001);
    EXPECT_EQ(verifier.admit({101, 501, 20}), "the executable " + fs::canonical(other).string() +
                                                  " of process 101 is not the allowed client " +
                                                  fs::canonical(client).string());
    EXPECT_EQ(verifier.admit({102, 501, 20}), "process 102 cannot be inspected");

    // Only the process that connected may write on its connection, even one running the client.
    proc.process(104, root.path() / "link-to-client", 5004);
    EXPECT_EQ(verifier.admit({104, 501, 20}), std::nullopt);
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {104, 501, 20}),
              "process 104 (uid 501) wrote on the connection of process 100");
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 502, 20}),
              "process 100 (uid 502) wrote on the connection of process 100");

    // The allowed path with other contents (replaced after installation) is a new image: checked again.
    fs::remove(client);
    std::ofstream(client) << "patched client\n";
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}),
              "the executable " + fs::canonical(client).string() + " of process 100 does not have the recorded SHA-256");
    fs::remove(client);
    std::ofstream(client) << "fake client\n";
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}), std::nullopt);

    // The process that connected runs another program (an exec): refused.
    proc.process(100, impostor, 5000);
    EXPECT_NE(verifier.checkSender({100, 501, 20}, {100, 501, 20}), std::nullopt);
    proc.process(100, root.path() / "link-to-client", 5000);
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}), std::nullopt);

    // Another process under the pid of the one that connected.
    proc.restart(100, 6000);
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}), "process 100 is not the process that connected");
    EXPECT_EQ(verifier.admit({100, 501, 20}), std::nullopt); // a new connection of its own
    EXPECT_EQ(verifier.checkSender({100, 501, 20}, {100, 501, 20}), std::nullopt);

    proc.process(103, impostor, 1);
    EXPECT_NE(verifier.admit({103, 501, 20}), std::nullopt);
}

// The daemon in this process behind its real socket, with /proc as it is.
class HelperSocket : public HelperFixture {
protected:
    // Sends one mode message and waits for its outcome: "reply:<text>" or "error".
    std::string forceFan0()
    {
        XPC::Connection connection(HelperTest::label);
        connection.resume();
        std::promise<std::string> outcome;
        connection.send(XPC::MessageCodec::makeRequest(fanMode, {0, 1}),
                        [&](std::optional<std::string> text) { outcome.set_value("reply:" + text.value_or("null")); },
                        [&](const XPC::Error&) { outcome.set_value("error"); });
        auto future = outcome.get_future();
        if (future.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
            return "timeout";
        return future.get();
    }

    // Writes `bytes` on a fresh connection; true when the daemon then closes it.
    bool closedAfter(const std::string& bytes)
    {
        int error = 0;
        auto socket = XPC::Socket::connect(HelperPaths::socket(HelperTest::label),
                                           std::chrono::steady_clock::now() + std::chrono::seconds(2), error);
        if (!socket)
            return false;
        const auto result = socket->writeAll(bytes, std::chrono::steady_clock::now() + std::chrono::seconds(2), error);
        if (result != XPC::Socket::WriteResult::written && result != XPC::Socket::WriteResult::peerGone)
            return false;
        return HelperTest::eventually([&] {
            char byte = 0;
            pollfd entry {socket->fd(), POLLIN, 0};
            ::poll(&entry, 1, 2);
            const auto n = socket->read(&byte, 1);
            return n == 0 || n == -2;
        });
    }
};

TEST_F(HelperSocket, TheAllowedClientIsServed)
{
    makeDaemon(HelperTest::configurationForThisProcess());
    EXPECT_EQ(forceFan0(), "reply:");
    EXPECT_EQ(machine.device->value("F0Md"), 1);
    EXPECT_TRUE(logRecords("refused").empty());
}

TEST_F(HelperSocket, AClientWithAnotherExecutableIsRefused)
{
    auto configuration = HelperTest::configurationForThisProcess();
    configuration.allowedClientPath = root.path() / "Applications/Aerlo.app/Contents/MacOS/Aerlo";
    makeDaemon(configuration);

    EXPECT_EQ(forceFan0(), "error");
    EXPECT_EQ(machine.device->value("F0Md"), 0);
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});
    EXPECT_TRUE(logRecords("message").empty());
    const auto refused = logRecords("refused");
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused[0]["pid"], ::getpid());
    EXPECT_EQ(refused[0]["reason"], "the executable " + HelperTest::testProgram().string() + " of process " +
                                        std::to_string(::getpid()) + " is not the allowed client " +
                                        configuration.allowedClientPath.string());
    EXPECT_TRUE(daemon->isListening());

    // Same path, another digest.
    daemon.reset();
    configuration = HelperTest::configurationForThisProcess();
    configuration.allowedClientSHA256 = std::string(64, '0');
    makeDaemon(configuration);
    EXPECT_EQ(forceFan0(), "error");
    EXPECT_EQ(machine.device->value("F0Md"), 0);
}

TEST_F(HelperSocket, OversizeAndMalformedFramesCloseTheConnectionAndChangeNothing)
{
    makeDaemon(HelperTest::configurationForThisProcess());
    const std::string mebibyte(1 << 20, '{');
    const std::string header {0x00, 0x10, 0x00, 0x00}; // 1 MiB
    const auto frame = [](const std::string& payload) {
        return std::string {0, 0, 0, static_cast<char>(payload.size())} + payload;
    };
    const std::string notJSON = frame("hello");
    const std::string notObject = frame("[]");
    const std::string wrongKeys = frame("{\"sel\":\"x\"}");
    for (const auto& bytes : {header + mebibyte, notJSON, notObject, wrongKeys})
        EXPECT_TRUE(closedAfter(bytes)) << bytes.size();

    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});
    EXPECT_TRUE(logRecords("message").empty());
    const auto closed = logRecords("closed");
    ASSERT_EQ(closed.size(), 4u);
    for (const auto& record : closed)
        EXPECT_EQ(record["pid"], ::getpid());
    EXPECT_EQ(closed[0]["reason"], std::string(XPC::MessageCodec::describe(XPC::DecodeError::oversizeLength)));
    EXPECT_EQ(closed[1]["reason"], std::string(XPC::MessageCodec::describe(XPC::DecodeError::notJSON)));
    EXPECT_EQ(closed[3]["reason"], "malformed request");

    // The daemon survives and serves the next client.
    EXPECT_EQ(forceFan0(), "reply:");
    EXPECT_EQ(machine.device->value("F0Md"), 1);
}

} // namespace
