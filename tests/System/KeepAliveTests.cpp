#include "Platform/System/DaemonProcess.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/KeepAlive.h"
#include "tests/Support/Eventually.h"
#include "tests/System/DaemonTestSupport.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using namespace SystemPlatform;

namespace {

class KeepAliveTest : public DaemonTest {
protected:
    void SetUp() override
    {
        DaemonTest::SetUp();
        ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
        first_ = helperPid().value_or(0);
        keepAlive_ = DaemonProcess::readPidFile(HelperPaths::keepAlivePidFile(helperLabel)).value_or(0);
        ASSERT_GT(first_, 0);
        ASSERT_GT(keepAlive_, 0);
        track(keepAlive_);
    }

    // The pid file once it names a process other than `old`.
    std::optional<pid_t> replacedPid(pid_t old)
    {
        std::optional<pid_t> pid;
        eventually([&] {
            pid = DaemonProcess::readPidFile(HelperPaths::pidFile(helperLabel));
            return pid && *pid != old && isRunning(*pid);
        });
        if (pid && *pid != old)
            track(*pid);
        return pid && *pid != old ? pid : std::nullopt;
    }

    pid_t first_ = 0;
    pid_t keepAlive_ = 0;
};

} // namespace

TEST(KeepAlive, TheBackOffDoublesForQuickFailuresUpToItsBoundAndStartsAgainAfterAStableRun)
{
    const KeepAlive::Options options;
    const struct {
        double previous, ran, next;
    } cases[] = {
        {0, 0.01, 0.1}, {0.1, 0.5, 0.2}, {0.2, 0.5, 0.4}, {6.4, 1, 10}, {10, 1, 10}, {10, 10, 0.1}, {0.4, 60, 0.1},
    };
    for (const auto& item : cases)
        EXPECT_DOUBLE_EQ(KeepAlive::nextDelay(item.previous, item.ran, options), item.next)
            << item.previous << " " << item.ran;
}

TEST(KeepAlive, TheStandInRefusesAnythingButItsOneUsage)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string> {}, {"--pid-file", "x"}, {"--pidfile", "x", "/bin/true"}, {"/bin/true"}}) {
        std::string line = KeepAlive::standInProgram().string();
        for (const auto& argument : arguments)
            line += " '" + argument + "'";
        EXPECT_EQ(WEXITSTATUS(std::system((line + " 2>/dev/null").c_str())), 64) << line;
    }
}

TEST_F(KeepAliveTest, AHelperKilledIsStartedAgainWithItsPidFileReplaced)
{
    EXPECT_EQ(DaemonProcess::executable(keepAlive_), fs::canonical(KeepAlive::standInProgram()));
    for (int round = 0; round < 2; ++round) {
        const pid_t before = *helperPid();
        ::kill(before, SIGKILL);
        const auto after = replacedPid(before);
        ASSERT_TRUE(after) << "round " << round;
        EXPECT_EQ(DaemonProcess::executable(*after), fs::canonical(HelperPaths::installedProgram(helperLabel)));
        EXPECT_TRUE(isRunning(keepAlive_));
    }
    const auto console = fileContents(HelperPaths::consoleLog(helperLabel));
    EXPECT_NE(console.find(" ended (signal 9); starting it again in 0."), std::string::npos);
    // Each crash ran the helper's restore step first, as a child of the keep-alive.
    const std::string restored = "restored " + std::to_string(keepAlive_) + "\n";
    EXPECT_NE(console.find(restored), std::string::npos) << console;
    EXPECT_NE(console.find(restored, console.find(restored) + 1), std::string::npos) << console;
}

TEST_F(KeepAliveTest, ASignalToTheKeepAliveLeavesNoPidFileBehind)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        if (number != SIGTERM) {
            ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
            keepAlive_ = DaemonProcess::readPidFile(HelperPaths::keepAlivePidFile(helperLabel)).value_or(0);
            track(keepAlive_);
        }
        const pid_t helper = helperPid().value_or(0);
        ASSERT_GT(helper, 0);
        ::kill(keepAlive_, number);
        EXPECT_TRUE(eventually([&] { return !isRunning(keepAlive_) && !isRunning(helper); })) << number;
        EXPECT_FALSE(fs::exists(HelperPaths::pidFile(helperLabel))) << number;
        EXPECT_FALSE(fs::exists(HelperPaths::keepAlivePidFile(helperLabel))) << number;
    }
}

TEST_F(KeepAliveTest, StoppingPassesTheSignalOnAndEndsBoth)
{
    ASSERT_TRUE(JobBlessService::stop(helperLabel).ok());
    EXPECT_FALSE(isRunning(first_));
    EXPECT_FALSE(isRunning(keepAlive_));
    EXPECT_FALSE(fs::exists(HelperPaths::pidFile(helperLabel)));
    EXPECT_FALSE(fs::exists(HelperPaths::keepAlivePidFile(helperLabel)));
}

TEST_F(KeepAliveTest, AHelperThatExitsWithZeroIsNotStartedAgain)
{
    const auto script = root_.path() / "exits";
    std::ofstream(script) << "#!/bin/sh\nexit 0\n";
    fs::permissions(script, fs::perms(0755));
    const auto pidFile = root_.path() / "exits.pid";
    const auto launched = DaemonProcess::launch(KeepAlive::standInProgram(),
                                                {"--pid-file", pidFile.string(), script.string()}, {}, "/dev/null");
    ASSERT_TRUE(launched) << launched.error();
    track(*launched);
    int status = -1;
    ASSERT_TRUE(eventually([&] { return ::waitpid(*launched, &status, WNOHANG) == *launched; }));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(pidFile));
}
