#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Process.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/ScriptedAuthorizationProvider.h"
#include "Platform/XPC/Connection.h"
#include "Platform/XPC/Socket.h"
#include "tests/SMCHelper/HelperTestSupport.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using HelperTest::logRecords;
using HelperTest::loggedMessages;
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
        ::unsetenv("AERLO_SMC");
        environment_ = {"AERLO_ROOT=" + root_.path().string()};
        const auto profile = root_.path() / "machine.json";
        std::ofstream(profile) << SmcsimTest::appleSiliconProfile;
        smcsim_ = std::make_unique<SmcsimTest::ChildProcess>(
            std::vector<std::string> {SmcsimTest::smcsimPath(), "--profile", profile.string(), "--manual-clock"},
            environment_);
        ASSERT_EQ(smcsim_->readLine(), "smcsim: serving " + profile.string() + " (manual clock) on " +
                                           IOKit::SocketSmcProtocol::defaultSocketPath().string());

        bundle_ = root_.path() / "Build/Aerlo.app";
        fs::create_directories(bundle_ / "Contents/MacOS");
        fs::create_directories(bundle_ / "Contents/Library/LaunchServices");
        fs::create_symlink(HelperTest::testProgram(), bundle_ / "Contents/MacOS/Aerlo");
        fs::copy_file(AERLO_HELPER_PROGRAM, HelperPaths::bundledProgram(bundle_, label));
        Foundation::Bundle::setMainBundlePath(bundle_);

        SystemPlatform::ScriptedAuthorizationProvider provider(SystemPlatform::ScriptedAuthorization::grant);
        const auto authorization = provider.create(
            {{std::string(SystemPlatform::kSMRightBlessPrivilegedHelper), "", 0}}, 0x13);
        ASSERT_EQ(authorization.status, SystemPlatform::errAuthorizationSuccess);
        const auto result = JobBlessService::bless(SystemPlatform::kSMDomainUserLaunchd, label, authorization.authorization);
        ASSERT_TRUE(result.ok) << result.error->localizedDescription;
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
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        Foundation::Bundle::setMainBundlePath({});
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
    std::string call(const std::string& sel, XPC::Message args)
    {
        std::promise<std::string> outcome;
        connection_.send(XPC::MessageCodec::makeRequest(sel, std::move(args)),
                         [&](std::optional<std::string> text) { outcome.set_value(text.value_or("null")); },
                         [&](const XPC::Error& error) { outcome.set_value("error: " + error.description); });
        auto future = outcome.get_future();
        return future.wait_for(std::chrono::seconds(5)) == std::future_status::ready ? future.get() : "timeout";
    }

    // What the application sends before every message.
    void sendPath() { connection_.send(XPC::MessageCodec::makeRequest("setSMCPath:", {smcResource()})); }
    std::string smcResource() const { return (bundle_ / "Contents/Resources/SMC").string(); }

    // The daemon's exit status as its keep-alive reports it when it ends for good (0: the daemon
    // exited with 0), -1 when it is still running after `seconds`.
    int waitForExit(double seconds = 5)
    {
        int status = 0;
        const bool ended = HelperTest::eventually([&] { return ::waitpid(keepAlive_, &status, WNOHANG) == keepAlive_; }, seconds);
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
    XPC::Connection connection_ {label};
};

TEST_F(HelperEndToEnd, InstalledDaemonWritesTheFansAndUninstallsItself)
{
    const auto start = logRecords("start");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0]["development"], false);
    EXPECT_EQ(start[0]["allowedClientPath"], HelperTest::testProgram().string());
    EXPECT_EQ(start[0]["pid"], pid_);

    connection_.resume();
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
    connection_.send(XPC::MessageCodec::makeRequest("uninstall"));
    EXPECT_EQ(waitForExit(), 0);

    for (const auto& path : {HelperPaths::installedProgram(label), HelperPaths::jobFile(label),
                             HelperPaths::pidFile(label), HelperPaths::socket(label)})
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));

    const std::string path = "setSMCPath: [\"" + smcResource() + "\"]";
    EXPECT_EQ(loggedMessages(), (std::vector<std::string> {
                                    "versionWithCompletion: []",
                                    path, std::string(fanMode) + " [0,1]",
                                    path, std::string(fanSpeed) + " [0,9000]",
                                    path, std::string(fanMode) + " [0,0]",
                                    path, std::string(fanMode) + " [1,0]",
                                    path, "uninstall []",
                                }));
    EXPECT_EQ(logRecords().back()["event"], "uninstalled");
    EXPECT_TRUE(logRecords("refused").empty());
}

TEST_F(HelperEndToEnd, SigtermReturnsForcedFansToAutomatic)
{
    // A client that leaves before its reply: the reply goes to a closed socket, and the daemon lives on.
    {
        int error = 0;
        auto client = XPC::Socket::connect(HelperPaths::socket(label),
                                           std::chrono::steady_clock::now() + std::chrono::seconds(2), error);
        ASSERT_TRUE(client);
        const auto frame = XPC::MessageCodec::encode(XPC::MessageCodec::makeRequest(1, "versionWithCompletion:"));
        ASSERT_EQ(client->writeAll(*frame, std::chrono::steady_clock::now() + std::chrono::seconds(2), error),
                  XPC::Socket::WriteResult::written);
    }
    connection_.resume();
    for (const int fan : {0, 1})
        ASSERT_EQ(call(fanMode, {fan, 1}), "");
    EXPECT_EQ(forced(), (std::vector<bool> {true, true}));

    ::kill(pid_, SIGTERM);
    EXPECT_EQ(waitForExit(), 0);
    EXPECT_EQ(forced(), (std::vector<bool> {false, false}));
    EXPECT_EQ(logRecords("signal").at(0)["signal"], "SIGTERM");
    EXPECT_EQ(logRecords("restore").at(0)["fans"], nlohmann::json::array({0, 1}));
    EXPECT_TRUE(fs::exists(HelperPaths::installedProgram(label))); // stopped, not removed
}

TEST_F(HelperEndToEnd, UpdateRunsTheNewlyInstalledProgram)
{
    const std::string objcopy = AERLO_OBJCOPY;
    if (objcopy.empty() || !fs::exists(objcopy))
        GTEST_SKIP() << "objcopy is not installed";
    connection_.resume();
    ASSERT_EQ(call(fanMode, {1, 1}), "");

    // A newer daemon put in place (as an installer would): same program, another version.
    const auto info = root_.path() / "info.json";
    std::ofstream(info) << R"({"CFBundleShortVersionString": "9.9.9"})";
    const auto staged = HelperPaths::privilegedHelperTools() / "staged";
    fs::copy_file(HelperPaths::installedProgram(label), staged);
    const auto result = Foundation::Process::run(objcopy, {"--update-section", ".aerlo_info=" + info.string(), staged.string()});
    ASSERT_TRUE(result.launched) << result.launchError;
    ASSERT_EQ(result.status, 0) << result.stderr_;
    fs::permissions(staged, fs::perms(0544));
    fs::rename(staged, HelperPaths::installedProgram(label));

    sendPath();
    connection_.send(XPC::MessageCodec::makeRequest("update"));
    ASSERT_TRUE(HelperTest::eventually([] { return logRecords("start").size() == 2; }));
    ASSERT_TRUE(serving());
    EXPECT_EQ(call("versionWithCompletion:", XPC::Message::array()), "9.9.9");
    EXPECT_EQ(logRecords("start").back()["pid"], pid_); // the same process, a new image
    EXPECT_EQ(logRecords("update").at(0)["action"], "re-exec");
    EXPECT_EQ(forced(), (std::vector<bool> {false, true})); // the client's fan stays as it set it
    ASSERT_EQ(call(fanMode, {1, 0}), "");
}

} // namespace
