#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Process.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/System/DaemonProcess.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "Platform/System/SystemLayout.h"
#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Socket.h"
#include "tests/SMCHelper/HelperTestSupport.h"
#include "tests/Support/System/ScriptedAuthorizationProvider.h"
#include "tests/Support/TestAccess.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iostream>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

// Run as the image a write-then-exec attacker replaces itself with (HelperAttacker): holds the
// inherited connection (descriptor 3) until the daemon closes it, at most 2 s, and runs no test.
const bool holdingAConnection = [] {
    if (!std::getenv("AERLO_TEST_HOLD_CONNECTION"))
        return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    pollfd entry {3, POLLIN, 0};
    char buffer[256];
    while (std::chrono::steady_clock::now() < end)
        if (::poll(&entry, 1, 100) == 1 && ::recv(3, buffer, sizeof buffer, 0) <= 0)
            break;
    std::_Exit(0);
}();

namespace fs = std::filesystem;
using HelperTest::loggedMessages;
using HelperTest::logRecords;
using SystemPlatform::HelperPaths;
using SystemPlatform::JobBlessService;

constexpr const char* label = HelperTest::label;
constexpr const char* fanMode = "setFanModeWithId:mode:completion:";
constexpr const char* fanSpeed = "setFanSpeedWithId:value:completion:";

// The built daemon installed with the job-blessing service into a temporary root, over the smcsim
// program on a manual clock; this test program is the application (the bundle's executable links to
// it, so the installer records it as the allowed client). The daemon is reparented to this process,
// which kills and reaps it at the end.
class HelperEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        ::setenv("AERLO_SMC", "smcsim", 1); // the root's simulator, even on a real Mac
        if (systemInstall_) {
            // A pkexec that runs the program as this user, saying who asked, as polkit's does; no systemd.
            const auto layout = SystemPlatform::SystemLayout::under(root_.path() / "system");
            fs::create_directories(layout.pkexec.parent_path());
            std::ofstream(layout.pkexec) << "#!/bin/sh\nPKEXEC_UID=$(id -u) exec \"$@\"\n";
            fs::permissions(layout.pkexec, fs::perms(0755));
            HelperPaths::useSystemLayout(layout);
            // The daemon gets no root folder: it is given the simulator's socket itself.
            ::setenv("AERLO_SMC", ("socket:" + IOKit::SocketSmcProtocol::defaultSocketPath().string()).c_str(), 1);
        }
        connection_.emplace(label, HelperPaths::socket(label));
        environment_ = {"AERLO_ROOT=" + root_.path().string()};
        const auto profile = root_.path() / "machine.json";
        std::ofstream(profile) << SmcsimTest::appleSiliconProfile;
        smcsim_ = std::make_unique<SmcsimTest::ChildProcess>(
            std::vector<std::string> {SmcsimTest::smcsimPath(), "--profile", profile.string(), "--manual-clock"},
            environment_);
        ASSERT_EQ(smcsim_->readLine(), "smcsim: serving " + profile.string() + " (manual clock) on "
                                           + IOKit::SocketSmcProtocol::defaultSocketPath().string());

        bundle_ = root_.path() / "Build/Aerlo.app";
        fs::create_directories(bundle_ / "Contents/MacOS");
        fs::create_directories(bundle_ / "Contents/Library/LaunchServices");
        fs::create_symlink(HelperTest::testProgram(), bundle_ / "Contents/MacOS/Aerlo");
        fs::copy_file(AERLO_HELPER_PROGRAM, HelperPaths::bundledProgram(bundle_, label));
        Foundation::Bundle::setMainBundlePath(bundle_);

        SystemPlatform::ScriptedAuthorizationProvider provider(SystemPlatform::ScriptedAuthorization::grant);
        const auto authorization =
            provider.create({{std::string(SystemPlatform::kSMRightBlessPrivilegedHelper), "", 0}}, 0x13);
        ASSERT_EQ(authorization.status, SystemPlatform::errAuthorizationSuccess);
        const auto result =
            JobBlessService::bless(SystemPlatform::kSMDomainUserLaunchd, label, authorization.authorization);
        ASSERT_TRUE(result) << result.failure().localizedDescription;
        std::ifstream(HelperPaths::pidFile(label)) >> pid_;
        std::ifstream(HelperPaths::keepAlivePidFile(label)) >> keepAlive_;
        ASSERT_GT(pid_, 0);
        ASSERT_GT(keepAlive_, 0);
        ASSERT_TRUE(serving());
    }

    void TearDown() override
    {
        (void)JobBlessService::stop(label, 0.5);
        for (const pid_t pid : {keepAlive_, pid_})
            if (pid > 0 && ::kill(pid, 0) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        smcsim_.reset();
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {}
        Foundation::Bundle::setMainBundlePath({});
        TestAccess::resetForTesting<HelperPaths>();
    }

    // True once the daemon accepts connections.
    bool serving()
    {
        return HelperTest::eventually([] {
            int error = 0;
            return XPC::Socket::connect(HelperPaths::socket(label),
                                        std::chrono::steady_clock::now() + std::chrono::milliseconds(200), error)
                .has_value();
        });
    }

    // Sends a message with a completion and waits for its reply ("error" when none comes).
    std::string call(const std::string& sel, XPC::Message args) { return call(*connection_, sel, std::move(args)); }
    std::string call(XPC::Connection& connection, const std::string& sel, XPC::Message args)
    {
        std::promise<std::string> outcome;
        connection.send(
            XPC::MessageCodec::makeRequest(sel, std::move(args)),
            [&](std::optional<std::string> text) { outcome.set_value(text.value_or("null")); },
            [&](const XPC::Error& error) { outcome.set_value("error: " + error.description); });
        auto future = outcome.get_future();
        return future.wait_for(std::chrono::seconds(5)) == std::future_status::ready ? future.get() : "timeout";
    }

    // What the application sends before every message.
    void sendPath() { connection_->send(XPC::MessageCodec::makeRequest("setSMCPath:", {smcResource()})); }
    std::string smcResource() const { return (bundle_ / "Contents/Resources/SMC").string(); }

    // The daemon's exit status as its keep-alive reports it when it ends for good (0: the daemon
    // exited with 0), -1 when it is still running after `seconds`.
    int waitForExit(double seconds = 5)
    {
        int status = 0;
        const bool ended =
            HelperTest::eventually([&] { return ::waitpid(keepAlive_, &status, WNOHANG) == keepAlive_; }, seconds);
        if (!ended)
            return -1;
        keepAlive_ = pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    nlohmann::json snapshot()
    {
        EXPECT_EQ(SmcsimTest::runProgram({SmcsimTest::smcsimPath(), "ctl", "advance", "1"}, environment_).status, 0);
        const auto result = SmcsimTest::runProgram({SmcsimTest::smcsimPath(), "ctl", "snapshot"}, environment_);
        EXPECT_EQ(result.status, 0) << result.output;
        return nlohmann::json::parse(result.output, nullptr, false);
    }

    // How long until `condition` holds (a bounded guard of `seconds`), in seconds; -1 when it never does.
    template <typename Condition>
    static double secondsUntil(Condition condition, double seconds)
    {
        const auto start = std::chrono::steady_clock::now();
        if (!HelperTest::eventually(condition, seconds))
            return -1;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    std::vector<bool> forced()
    {
        std::vector<bool> fans;
        const auto state = snapshot();
        for (const auto& fan : state["fans"])
            fans.push_back(fan["forced"].get<bool>());
        return fans;
    }

    TempRoot root_;
    std::vector<std::string> environment_;
    std::unique_ptr<SmcsimTest::ChildProcess> smcsim_;
    fs::path bundle_;
    pid_t pid_ = -1;
    pid_t keepAlive_ = -1; // this process reaps it: its parent has gone
    std::optional<XPC::Connection> connection_; // to the socket of the layout in use
    bool systemInstall_ = false; // installed for real into a system layout under the root, through polkit
};

TEST_F(HelperEndToEnd, InstalledDaemonWritesTheFansAndUninstallsItself)
{
    const auto start = logRecords("start");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0]["development"], false);
    EXPECT_EQ(start[0]["allowedClientPath"], HelperTest::testProgram().string());
    EXPECT_EQ(start[0]["pid"], pid_);

    connection_->resume();
    EXPECT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
    sendPath();
    EXPECT_EQ(call(fanMode, {0, 1}), "");
    sendPath();
    EXPECT_EQ(call(fanSpeed, {0, 9000}), "clamped to 5800");
    const auto state = snapshot();
    EXPECT_EQ(state["fans"][0]["forced"], true);
    EXPECT_EQ(state["fans"][0]["target"], 5800);
    EXPECT_EQ(state["fans"][1]["forced"], false);

    for (const int fan : {0, 1}) {
        sendPath();
        EXPECT_EQ(call(fanMode, {fan, 0}), "");
    }
    sendPath();
    connection_->send(XPC::MessageCodec::makeRequest("uninstall"));
    EXPECT_EQ(waitForExit(), 0);

    for (const auto& path : {HelperPaths::installedProgram(label), HelperPaths::jobFile(label),
                             HelperPaths::pidFile(label), HelperPaths::socket(label)})
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));

    const std::string path = "setSMCPath: [\"" + smcResource() + "\"]";
    EXPECT_EQ(loggedMessages(), (std::vector<std::string> {
                                    "versionWithCompletion: []",
                                    path,
                                    std::string(fanMode) + " [0,1]",
                                    path,
                                    std::string(fanSpeed) + " [0,9000]",
                                    path,
                                    std::string(fanMode) + " [0,0]",
                                    path,
                                    std::string(fanMode) + " [1,0]",
                                    path,
                                    "uninstall []",
                                }));
    EXPECT_EQ(logRecords().back()["event"], "uninstalled");
    EXPECT_TRUE(logRecords("refused").empty());
}

// Installed for real: through polkit, under the root-owned keep-alive where there is no systemd.
class HelperSystemEndToEnd : public HelperEndToEnd {
protected:
    HelperSystemEndToEnd() { systemInstall_ = true; }
};

TEST_F(HelperSystemEndToEnd, TheDaemonServesInTheRunFolderAndUninstallsEverything)
{
    const auto layout = *HelperPaths::systemLayout();
    EXPECT_EQ(HelperPaths::socket(label).parent_path(), layout.runDirectory);
    EXPECT_EQ(logRecords("start").at(0)["allowedClientPath"], HelperTest::testProgram().string());
    EXPECT_FALSE(fs::exists(root_.path() / "Library/PrivilegedHelperTools"));

    connection_->resume();
    EXPECT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
    sendPath();
    EXPECT_EQ(call(fanMode, {1, 1}), "");
    EXPECT_EQ(forced(), (std::vector<bool> {false, true}));

    // The unit's step after a stop, in the job's environment, as systemd runs it.
    const auto job = SystemPlatform::LaunchDaemonJob::read(HelperPaths::jobFile(label));
    ASSERT_TRUE(job);
    Foundation::ProcessOptions options;
    options.environment = job->environmentVariables;
    (*options.environment)["SERVICE_RESULT"] = "success";
    const auto restored = Foundation::Process::run(job->program.string(), {"--restore"}, options);
    EXPECT_EQ(restored.status, 0) << restored.stderr_;
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));
    EXPECT_EQ(logRecords("restore").back()["reason"], "stop");

    sendPath();
    connection_->send(XPC::MessageCodec::makeRequest("uninstall"));
    EXPECT_EQ(waitForExit(), 0);
    EXPECT_TRUE(fs::is_empty(layout.installDirectory));
    EXPECT_FALSE(fs::exists(HelperPaths::socket(label)));
}

TEST_F(HelperEndToEnd, SigtermReturnsForcedFansToAutomatic)
{
    // A client that leaves before its reply: the reply goes to a closed socket, and the daemon lives on.
    {
        int error = 0;
        auto client = XPC::Socket::connect(HelperPaths::socket(label),
                                           std::chrono::steady_clock::now() + std::chrono::seconds(2), error);
        ASSERT_TRUE(client);
        ASSERT_TRUE(HelperTest::admitted(client->fd(), 2000));
        const auto frame = XPC::MessageCodec::encode(XPC::MessageCodec::makeRequest(1, "versionWithCompletion:"));
        ASSERT_EQ(client->writeAll(*frame, std::chrono::steady_clock::now() + std::chrono::seconds(2), error),
                  XPC::Socket::WriteResult::written);
    }
    connection_->resume();
    for (const int fan : {0, 1})
        ASSERT_EQ(call(fanMode, {fan, 1}), "");
    EXPECT_EQ(forced(), (std::vector<bool> {true, true}));

    ::kill(pid_, SIGTERM);
    EXPECT_EQ(waitForExit(), 0);
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));
    EXPECT_EQ(logRecords("signal").at(0)["signal"], "SIGTERM");
    EXPECT_EQ(logRecords("restore").at(0)["fans"], nlohmann::json::array({0, 1}));
    EXPECT_TRUE(fs::exists(HelperPaths::installedProgram(label))); // stopped, not removed
    // Its socket and pid file went with it, and the keep-alive did not start it again.
    EXPECT_FALSE(fs::exists(HelperPaths::socket(label)));
    EXPECT_FALSE(fs::exists(HelperPaths::pidFile(label)));
    EXPECT_EQ(logRecords("start").size(), 1u);
}

TEST_F(HelperEndToEnd, UpdateRunsTheNewlyInstalledProgram)
{
    const std::string objcopy = AERLO_OBJCOPY;
    if (objcopy.empty() || !fs::exists(objcopy))
        GTEST_SKIP() << "objcopy is not installed";
    connection_->resume();
    ASSERT_EQ(call(fanMode, {1, 1}), "");

    // A newer daemon put in place (as an installer would): same program, another version.
    const auto info = root_.path() / "info.json";
    std::ofstream(info) << R"({"CFBundleShortVersionString": "9.9.9"})";
    const auto staged = HelperPaths::privilegedHelperTools() / "staged";
    fs::copy_file(HelperPaths::installedProgram(label), staged);
    const auto result =
        Foundation::Process::run(objcopy, {"--update-section", ".aerlo_info=" + info.string(), staged.string()});
    ASSERT_TRUE(result.launched) << result.launchError;
    ASSERT_EQ(result.status, 0) << result.stderr_;
    fs::permissions(staged, fs::perms(0544));
    fs::rename(staged, HelperPaths::installedProgram(label));

    sendPath();
    connection_->send(XPC::MessageCodec::makeRequest("update"));
    ASSERT_TRUE(HelperTest::eventually([] { return logRecords("start").size() == 2; }));
    ASSERT_TRUE(serving());
    EXPECT_EQ(call("versionWithCompletion:", XPC::Message::array()), "9.9.9");
    EXPECT_EQ(logRecords("start").back()["pid"], pid_); // the same process, a new image
    EXPECT_EQ(logRecords("update").at(0)["action"], "re-exec");
    EXPECT_EQ(forced(), (std::vector<bool> {false, true})); // the client's fan stays as it set it
    ASSERT_EQ(call(fanMode, {1, 0}), "");
}

TEST_F(HelperEndToEnd, TheFansOfAKilledClientReturnWithinOneSecondAndADroppedConnectionChangesNothing)
{
    // This process forces fan 1 on a connection it then drops and replaces.
    {
        XPC::Connection dropped(label);
        dropped.resume();
        ASSERT_EQ(call(dropped, fanMode, {1, 1}), "");
    }
    connection_->resume();
    ASSERT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);

    // Another client process (this program, forked) forces fan 0 and is killed.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t client = ::fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        const int fd = HelperTest::connectAdmitted(HelperPaths::socket(label));
        const std::string force =
            HelperTest::frameOf(R"({"id":1,"sel":"setFanModeWithId:mode:completion:","args":[0,1]})");
        const bool done =
            fd >= 0 && ::send(fd, force.data(), force.size(), MSG_NOSIGNAL) > 0 && HelperTest::replied(fd, 2000);
        (void)!::write(ready[1], done ? "r" : "x", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(done, 'r');
    ASSERT_EQ(forced(), (std::vector<bool> {true, true}));

    ::kill(client, SIGKILL);
    ::waitpid(client, nullptr, 0);
    const double seconds = secondsUntil([&] { return !forced().at(0); }, 3);
    EXPECT_GE(seconds, 0);
    EXPECT_LE(seconds, 1.0);
    EXPECT_EQ(forced(), (std::vector<bool> {false, true}));
    const auto restore = logRecords("restore");
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_EQ(restore[0]["reason"], "client ended");
    EXPECT_EQ(restore[0]["pid"], client);
    EXPECT_EQ(restore[0]["fans"], nlohmann::json::array({0}));
    std::cout << "[ figures  ] client killed: fan automatic after " << seconds << " s (snapshot)\n";
}

TEST_F(HelperEndToEnd, AKilledDaemonIsRestartedAndReturnsTheFansWithinTwoSeconds)
{
    connection_->resume();
    ASSERT_EQ(call(fanMode, {0, 1}), "");
    ASSERT_EQ(forced(), (std::vector<bool> {true, false}));
    struct stat before {};
    ASSERT_EQ(::stat(HelperPaths::socket(label).c_str(), &before), 0);
    const pid_t old = pid_;

    ::kill(old, SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    pid_t restarted = 0;
    ASSERT_TRUE(HelperTest::eventually([&] {
        std::ifstream stream(HelperPaths::pidFile(label));
        return (stream >> restarted) && restarted != old && logRecords("start").size() == 2;
    }));
    pid_ = restarted;
    ASSERT_TRUE(HelperTest::eventually([&] { return !forced().at(0); }, 3));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
    EXPECT_LE(seconds, 2.0);

    EXPECT_EQ(logRecords("start").back()["pid"], restarted);
    // The keep-alive's restore step gave the fan back before the new daemon started.
    const auto restore = logRecords("restore");
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_EQ(restore[0]["reason"], "crash");
    EXPECT_EQ(restore[0]["fans"], nlohmann::json::array({0}));
    // The dead daemon's socket and pid file were replaced.
    struct stat after {};
    ASSERT_TRUE(serving());
    ASSERT_EQ(::stat(HelperPaths::socket(label).c_str(), &after), 0);
    EXPECT_GT(std::chrono::seconds(after.st_ctim.tv_sec) + std::chrono::nanoseconds(after.st_ctim.tv_nsec),
              std::chrono::seconds(before.st_ctim.tv_sec) + std::chrono::nanoseconds(before.st_ctim.tv_nsec));
    std::ifstream pidFile(HelperPaths::pidFile(label));
    pid_t named = 0;
    pidFile >> named;
    EXPECT_EQ(named, restarted);
    EXPECT_NE(::kill(old, 0), 0);
    // The application's next message reaches the new daemon.
    EXPECT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
    std::cout << "[ figures  ] daemon killed: restarted as " << restarted << ", fan automatic after " << seconds
              << " s\n";
}

TEST_F(HelperEndToEnd, InACrashLoopEveryCrashGivesTheFanBackWithinOneSecond)
{
    // The restart waits grow (0.1, 0.2, 0.4, 0.8, 1.6 s); the fans must not wait with them.
    connection_->resume();
    std::string figures;
    for (int crash = 0; crash < 6; ++crash) {
        SCOPED_TRACE(crash);
        ASSERT_EQ(call(fanMode, {0, 1}), "");
        ASSERT_EQ(forced(), (std::vector<bool> {true, false}));
        const pid_t old = pid_;
        ::kill(old, SIGKILL);
        const double seconds = secondsUntil([&] { return !forced().at(0); }, 3);
        EXPECT_GE(seconds, 0);
        EXPECT_LE(seconds, 1.0);
        figures += (crash ? ", " : "") + std::to_string(seconds).substr(0, 4);
        ASSERT_TRUE(HelperTest::eventually(
            [&] {
                const auto pid = SystemPlatform::DaemonProcess::readPidFile(HelperPaths::pidFile(label));
                return pid && *pid != old && (pid_ = *pid, SystemPlatform::DaemonProcess::isAlive(*pid));
            },
            10));
        ASSERT_TRUE(serving());
    }
    EXPECT_EQ(logRecords("restore").size(), 6u);
    std::cout << "[ figures  ] crash loop: fan automatic after " << figures << " s\n";
}

TEST_F(HelperEndToEnd, AProcessThatWritesAndThenExecsTheClientIsNeverServed)
{
    connection_->resume();
    ASSERT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
    const std::string socket = HelperPaths::socket(label).string();
    const std::string client = HelperTest::testProgram().string();
    std::set<pid_t> attackers;
    int rounds = 0;
    for (const std::string request : {R"({"id":1,"sel":"setFanModeWithId:mode:completion:","args":[0,1]})",
                                      R"({"id":1,"sel":"uninstall","args":[]})"}) {
        for (int round = 0; round < 50; ++round, ++rounds) {
            char* const arguments[] = {const_cast<char*>(AERLO_HELPER_ATTACKER), const_cast<char*>(socket.c_str()),
                                       const_cast<char*>(request.c_str()), const_cast<char*>(client.c_str()), nullptr};
            char* const environment[] = {const_cast<char*>("AERLO_TEST_HOLD_CONNECTION=1"), nullptr};
            const pid_t attacker = ::fork();
            ASSERT_GE(attacker, 0);
            if (attacker == 0) {
                ::execve(AERLO_HELPER_ATTACKER, arguments, environment);
                ::_exit(127);
            }
            attackers.insert(attacker);
            int status = 0;
            ASSERT_TRUE(HelperTest::eventually([&] { return ::waitpid(attacker, &status, WNOHANG) == attacker; }, 5));
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
    }
    int served = 0;
    for (const auto& record : logRecords("message"))
        served += attackers.count(record["pid"].get<pid_t>()) ? 1 : 0;
    EXPECT_EQ(served, 0);
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));
    EXPECT_TRUE(fs::exists(HelperPaths::installedProgram(label)));
    EXPECT_TRUE(fs::exists(HelperPaths::jobFile(label)));

    // The application is still served at once.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call(fanMode, {0, 1}), "");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 0.5);
    EXPECT_EQ(forced(), (std::vector<bool> {true, false}));
    std::cout << "[ figures  ] write-then-exec: " << served << " of " << rounds << " served (fan write and uninstall);"
              << " the client then answered in " << seconds * 1000 << " ms\n";
}

TEST_F(HelperEndToEnd, ASliderDragArrivesWholeAndInOrderAndABurstIsServedWhole)
{
    connection_->resume();
    ASSERT_EQ(call(fanMode, {0, 1}), "");
    ASSERT_EQ(call(fanMode, {1, 1}), "");
    std::atomic<int> errors {0};
    std::atomic<int> replies {0};
    const auto onReply = [&](std::optional<std::string>) { ++replies; };
    const auto onError = [&](const XPC::Error&) { ++errors; };

    // 60 knob changes a second for 10 s, as the panel sends them: four frames per change.
    const int changes = 600;
    const auto speed = [](int change, int fan) { return 2000 + (change * 37 + fan * 500) % 3000; };
    const auto start = std::chrono::steady_clock::now();
    for (int change = 0; change < changes; ++change) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(change * 1000000 / 60));
        for (const int fan : {0, 1}) {
            sendPath();
            connection_->send(XPC::MessageCodec::makeRequest(fanSpeed, {fan, speed(change, fan)}), onReply, onError);
        }
    }
    ASSERT_TRUE(HelperTest::eventually([&] { return replies + errors == 2 * changes; }, 10));
    EXPECT_EQ(errors, 0);
    const auto state = snapshot();
    EXPECT_EQ(state["fans"][0]["target"], speed(changes - 1, 0));
    EXPECT_EQ(state["fans"][1]["target"], speed(changes - 1, 1));
    std::vector<std::string> expected;
    for (int change = 0; change < changes; ++change)
        for (const int fan : {0, 1})
            expected.push_back(std::string(fanSpeed) + " [" + std::to_string(fan) + ","
                               + std::to_string(speed(change, fan)) + "]");
    std::vector<std::string> speeds;
    for (const auto& message : loggedMessages())
        if (message.rfind(fanSpeed, 0) == 0)
            speeds.push_back(message);
    EXPECT_EQ(speeds, expected);
    EXPECT_TRUE(logRecords("closed").empty());

    // 10,000 frames at once from the same client: every one answered, in order.
    std::mutex mutex;
    std::vector<std::string> answers;
    const auto burstStart = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i)
        connection_->send(
            XPC::MessageCodec::makeRequest(fanSpeed, {0, 2000 + i % 3000}),
            [&, i](std::optional<std::string> text) {
                std::lock_guard lock(mutex);
                answers.push_back(std::to_string(i) + text.value_or("null"));
            },
            onError);
    ASSERT_TRUE(HelperTest::eventually(
        [&] {
            std::lock_guard lock(mutex);
            return answers.size() + errors == 10000;
        },
        30));
    const double burst = std::chrono::duration<double>(std::chrono::steady_clock::now() - burstStart).count();
    EXPECT_EQ(errors, 0);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(answers[i], std::to_string(i)) << i;
    EXPECT_EQ(snapshot()["fans"][0]["target"], 2000 + 9999 % 3000);
    std::cout << "[ figures  ] slider: " << 4 * changes << " frames whole and in order; burst of 10000 served in "
              << burst << " s\n";
}

TEST_F(HelperEndToEnd, SixClientsThatNeverReadDoNotDelayASeventhAnswer)
{
    connection_->resume();
    ASSERT_EQ(call("versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
    std::string requests;
    for (int i = 1; i <= 2000; ++i)
        requests +=
            HelperTest::frameOf(R"({"id":)" + std::to_string(i) + R"(,"sel":"versionWithCompletion:","args":[]})");
    std::vector<int> deaf;
    for (int client = 0; client < 6; ++client) {
        const int fd = HelperTest::connectAdmitted(HelperPaths::socket(label));
        ASSERT_GE(fd, 0);
        const int small = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        std::size_t sent = 0;
        while (sent < requests.size()) {
            const ssize_t n = ::send(fd, requests.data() + sent, requests.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        deaf.push_back(fd);
    }
    // Their replies are queued now: the socket buffers of these clients are full.
    ASSERT_TRUE(HelperTest::eventually([] { return logRecords("message").size() > 1000; }));

    double slowest = 0;
    for (int round = 0; round < 5; ++round) {
        XPC::Connection seventh(label);
        seventh.resume();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(call(seventh, "versionWithCompletion:", XPC::Message::array()), AERLO_HELPER_VERSION);
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    EXPECT_LT(slowest, 0.1);
    for (const int fd : deaf)
        ::close(fd);
    std::cout << "[ figures  ] six clients that never read: a seventh answered in at most " << slowest * 1000
              << " ms\n";
}

} // namespace
