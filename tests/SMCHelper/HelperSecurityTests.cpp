#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/ManualClock.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Socket.h"
#include "Tools/SMCHelper/ClientVerifier.h"
#include "Tools/SMCHelper/RefusalSummary.h"
#include "tests/SMCHelper/HelperTestSupport.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

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
    EXPECT_EQ(ClientVerifier::startTime(statLine(42, 1).replace(statLine(42, 1).find(" 1 23"), 2, " x")), std::nullopt);
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
    EXPECT_TRUE(verifier.admitPeer({100, 501, 20}));
    EXPECT_TRUE(verifier.admitSender({100, 501, 20}, {100, 501, 20}));
    EXPECT_EQ(verifier.verifiedStartTime(100), 5000u);
    EXPECT_EQ(verifier.admitPeer({100, 0, 0}).error(), "uid 0 is not an allowed client");

    proc.process(101, other, 5001);
    EXPECT_EQ(verifier.admitPeer({101, 501, 20}).error(), "the executable " + fs::canonical(other).string()
                                                              + " of process 101 is not the allowed client "
                                                              + fs::canonical(client).string());
    EXPECT_EQ(verifier.admitPeer({102, 501, 20}).error(), "process 102 cannot be inspected");

    // Only the process that connected may write on its connection, even one running the client.
    proc.process(104, root.path() / "link-to-client", 5004);
    EXPECT_TRUE(verifier.admitPeer({104, 501, 20}));
    EXPECT_EQ(verifier.admitSender({100, 501, 20}, {104, 501, 20}).error(),
              "process 104 (uid 501) wrote on the connection of process 100");
    EXPECT_EQ(verifier.admitSender({100, 501, 20}, {100, 502, 20}).error(),
              "process 100 (uid 502) wrote on the connection of process 100");

    // The allowed path with other contents (replaced after installation) is a new image: refused on
    // the connection admitted before, checked again on a new one.
    fs::remove(client);
    std::ofstream(client) << "patched client\n";
    EXPECT_EQ(verifier.admitSender({100, 501, 20}, {100, 501, 20}).error(),
              "process 100 runs another image than when it was admitted");
    EXPECT_EQ(verifier.admitPeer({100, 501, 20}).error(), "the executable " + fs::canonical(client).string()
                                                              + " of process 100 does not have the recorded SHA-256");
    fs::remove(client);
    std::ofstream(client) << "fake client\n";
    EXPECT_TRUE(verifier.admitPeer({100, 501, 20}));
    EXPECT_TRUE(verifier.admitSender({100, 501, 20}, {100, 501, 20}));

    // The process that connected runs another program (an exec): refused.
    proc.process(100, impostor, 5000);
    EXPECT_EQ(verifier.admitSender({100, 501, 20}, {100, 501, 20}).error(),
              "process 100 runs another image than when it was admitted");
    proc.process(100, root.path() / "link-to-client", 5000);
    EXPECT_TRUE(verifier.admitSender({100, 501, 20}, {100, 501, 20}));

    // Another process under the pid of the one that connected.
    proc.restart(100, 6000);
    EXPECT_EQ(verifier.admitSender({100, 501, 20}, {100, 501, 20}).error(),
              "process 100 is not the process that connected");
    EXPECT_TRUE(verifier.admitPeer({100, 501, 20})); // a new connection of its own
    EXPECT_TRUE(verifier.admitSender({100, 501, 20}, {100, 501, 20}));

    proc.process(103, impostor, 1);
    EXPECT_FALSE(verifier.admitPeer({103, 501, 20}));
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
        connection.send(
            XPC::MessageCodec::makeRequest(fanMode, {0, 1}),
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
        if (!socket || !HelperTest::admitted(socket->fd(), 2000))
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
    EXPECT_EQ(refused[0]["reason"], "the executable " + HelperTest::testProgram().string() + " of process "
                                        + std::to_string(::getpid()) + " is not the allowed client "
                                        + configuration.allowedClientPath.string());
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

using HelperTest::connectTo;
using HelperTest::executableOf;
using HelperTest::frameOf;
using HelperTest::replied;

TEST_F(HelperSocket, AForeignProcessThatForksAndExecsTheClientIsNeverServedUnderLoad)
{
    // The allowed client is a real program the attacker can run: sleep.
    const auto sleep = fs::canonical("/bin/sleep");
    auto configuration = HelperTest::configurationForThisProcess();
    configuration.allowedClientPath = sleep;
    configuration.allowedClientSHA256 = Foundation::FileDigest::sha256(sleep).value_or("");
    makeDaemon(configuration);
    const auto socket = HelperPaths::socket(HelperTest::label);
    const std::string attack = frameOf(R"({"id":1,"sel":"setFanModeWithId:mode:completion:","args":[0,1]})")
                               + frameOf(R"({"id":2,"sel":"versionWithCompletion:","args":[]})");

    // Connection load: this process (not the client) connects over and over.
    std::atomic<bool> loading {true};
    std::thread load([&] {
        while (loading)
            if (const int fd = connectTo(socket); fd >= 0)
                ::close(fd);
    });
    int served = 0;
    for (int round = 0; round < 100; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t stranger = ::fork();
        ASSERT_GE(stranger, 0);
        if (stranger == 0) {
            // The stranger connects, leaves its child the socket, and becomes the allowed client.
            const int fd = connectTo(socket);
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(ready[0]);
                const pid_t parent = ::getppid();
                for (int i = 0; i < 2000 && executableOf(parent) != sleep.string(); ++i)
                    ::usleep(500);
                const bool written = ::send(fd, attack.data(), attack.size(), MSG_NOSIGNAL) == ssize_t(attack.size());
                // Served: a reply after the greeting of an admitted connection.
                const char verdict = !written ? 'w' : HelperTest::admitted(fd, 1000) && replied(fd, 1000) ? 'R' : 'n';
                (void)!::write(ready[1], &verdict, 1);
                ::_exit(0);
            }
            ::execl(sleep.c_str(), "sleep", "5", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char verdict = 0;
        ASSERT_EQ(::read(ready[0], &verdict, 1), 1) << "round " << round;
        ::close(ready[0]);
        ::kill(stranger, SIGKILL);
        ::waitpid(stranger, nullptr, 0);
        if (verdict == 'R')
            ++served;
    }
    loading = false;
    load.join();
    EXPECT_EQ(served, 0);
    EXPECT_EQ(machine.device->value("F0Md"), 0);
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});
    EXPECT_TRUE(logRecords("message").empty());
    std::size_t admittedThenRefused = 0;
    for (const auto& record : logRecords("closed"))
        if (record["reason"].get<std::string>().find(" wrote on the connection of process ") != std::string::npos)
            ++admittedThenRefused;
    RecordProperty("admittedThenRefused", static_cast<int>(admittedThenRefused));
    std::cout << "[ figures  ] 100 impersonations, " << admittedThenRefused
              << " admitted at the door and refused on their first message, 0 served\n";
}

TEST_F(HelperSocket, AVerifiedClientThatExecsAnotherProgramIsRefusedOnItsNextMessage)
{
    makeDaemon(HelperTest::configurationForThisProcess());
    const auto socket = HelperPaths::socket(HelperTest::label);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t client = ::fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        // The genuine client (this test program) is served, then runs a shell that writes on its socket.
        const int fd = HelperTest::connectAdmitted(socket);
        const std::string version = frameOf(R"({"id":1,"sel":"versionWithCompletion:","args":[]})");
        const bool served = ::send(fd, version.data(), version.size(), MSG_NOSIGNAL) > 0 && replied(fd, 2000);
        (void)!::write(ready[1], served ? "s" : "x", 1);
        ::dup2(fd, 3);
        ::execl(
            "/bin/sh", "sh", "-c",
            R"(printf '\000\000\000\105{"id":2,"sel":"setFanModeWithId:mode:completion:","args":[0,1]}' >&3; exec sleep 5)",
            static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    char served = 0;
    ASSERT_EQ(::read(ready[0], &served, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(served, 's');
    ASSERT_TRUE(HelperTest::eventually([] { return !logRecords("closed").empty(); }));
    ::kill(client, SIGKILL);
    ::waitpid(client, nullptr, 0);
    const auto closed = logRecords("closed").at(0);
    EXPECT_EQ(closed["pid"], client);
    EXPECT_EQ(closed["reason"], "process " + std::to_string(client) + " runs another image than when it was admitted");
    EXPECT_EQ(machine.device->value("F0Md"), 0);
    EXPECT_EQ(HelperTest::loggedMessages(), std::vector<std::string> {"versionWithCompletion: []"});
}

TEST_F(HelperSocket, AHundredThousandRefusedConnectionsFromAnotherUidLeaveALogLine)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to connect as another uid";
    makeDaemon(HelperTest::configurationForThisProcess());
    // The other uid must reach the socket.
    for (auto folder = HelperPaths::socket(HelperTest::label).parent_path(); folder != root.path().parent_path();
         folder = folder.parent_path())
        fs::permissions(folder, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    const auto before = fs::file_size(HelperPaths::logFile(HelperTest::label));
    const auto started = std::chrono::steady_clock::now();
    const pid_t stranger = ::fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        int connected = 0;
        for (int i = 0; i < 100000; ++i)
            if (const int fd = connectTo(HelperPaths::socket(HelperTest::label)); fd >= 0) {
                ++connected;
                ::close(fd);
            }
        ::_exit(connected == 100000 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(stranger, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The connections still waiting to be accepted are refused before the summary is read.
    ASSERT_TRUE(HelperTest::eventually([&] { return daemon->refusedCount() == 100000; }));
    ASSERT_TRUE(HelperTest::eventually([&] { return daemon->clientCount() == 0; }));
    machine.clock.advance(Aerlo::RefusalSummary::defaultIntervalSeconds);
    daemon->tick();

    const auto growth = fs::file_size(HelperPaths::logFile(HelperTest::label)) - before;
    EXPECT_LT(growth, 1000u * 1000u);
    const auto refused = logRecords("refused");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0]["uid"], 65534);
    EXPECT_EQ(refused[0]["reason"], "uid 65534 is not an allowed client");
    std::uint64_t summarised = 0;
    for (const auto& record : logRecords("refusals")) {
        EXPECT_EQ(record["uid"], 65534);
        summarised += record["count"].get<std::uint64_t>();
    }
    EXPECT_EQ(summarised, 99999u);
    std::cout << "[ figures  ] 100000 refused connections in " << seconds << " s grew the log by " << growth
              << " bytes\n";
}

TEST(HelperLogTest, TheLogIsRotatedOnceAtItsCapAndNeverExceedsIt)
{
    TempRoot root;
    const auto path = root.path() / "var/log/helper.log";
    Foundation::ManualClock clock;
    Aerlo::HelperLog log(clock, 4096);
    ASSERT_TRUE(log.open(path));
    for (int i = 0; i < 1000; ++i) {
        log.record("message", {{"n", i}});
        ASSERT_LE(fs::file_size(path), 4096u) << i;
    }
    EXPECT_LE(fs::file_size(Aerlo::HelperLog::rotatedPath(path)), 4096u);
    EXPECT_FALSE(fs::exists(path.string() + ".2"));
    // The newest line is last in the log, and the rotated file holds the lines just before it.
    std::ifstream current(path), rotated(Aerlo::HelperLog::rotatedPath(path));
    std::string first, last, lastRotated, line;
    std::getline(current, first);
    while (std::getline(current, line))
        last = line;
    while (std::getline(rotated, line))
        lastRotated = line;
    EXPECT_EQ(nlohmann::json::parse(last)["n"], 999);
    EXPECT_EQ(nlohmann::json::parse(lastRotated)["n"].get<int>() + 1, nlohmann::json::parse(first)["n"]);
    // A record longer than the cap is dropped, not written.
    log.record("message", {{"text", std::string(5000, 'x')}});
    EXPECT_LE(fs::file_size(path), 4096u);
}

TEST(RefusalSummaryTest, CountsRefusalsPerUidAndInterval)
{
    Aerlo::RefusalSummary summary(10);
    EXPECT_TRUE(summary.note(65534, 0));
    EXPECT_TRUE(summary.note(1000, 1));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(summary.note(65534, 2 + i));
    EXPECT_EQ(summary.take(9), std::vector<Aerlo::RefusalSummary::Count> {});
    EXPECT_EQ(summary.take(10), (std::vector<Aerlo::RefusalSummary::Count> {{65534, 5}}));
    // A new interval logs its first refusal again.
    EXPECT_TRUE(summary.note(65534, 12));
    EXPECT_FALSE(summary.note(65534, 13));
    EXPECT_FALSE(summary.note(1000, 5));
    EXPECT_EQ(summary.take(13, true), (std::vector<Aerlo::RefusalSummary::Count> {{1000, 1}, {65534, 1}}));
    EXPECT_EQ(summary.take(100, true), std::vector<Aerlo::RefusalSummary::Count> {});

    // Beyond the peers told apart, the others are counted together.
    Aerlo::RefusalSummary many(10);
    for (uid_t uid = 0; uid < Aerlo::RefusalSummary::maximumPeers; ++uid)
        EXPECT_TRUE(many.note(uid, 0));
    EXPECT_TRUE(many.note(5000, 0));
    EXPECT_FALSE(many.note(5001, 0));
    EXPECT_EQ(many.take(10), (std::vector<Aerlo::RefusalSummary::Count> {{static_cast<uid_t>(-1), 1}}));
}
