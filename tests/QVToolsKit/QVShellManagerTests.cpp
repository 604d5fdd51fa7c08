#include "Platform/Foundation/Process.h"
#include "QVToolsKit/QVShellManager.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>

using QVToolsKit::QVShellManager;
namespace fs = std::filesystem;

namespace {

TEST(QVShellManager, RunWithOutputCapturesBothStreamsInOrder)
{
    EXPECT_EQ(QVShellManager::runWithOutput("echo hi"), "hi\n");
    EXPECT_EQ(QVShellManager::runWithOutput("echo oops 1>&2"), "oops\n");
    EXPECT_EQ(QVShellManager::runWithOutput("echo a; echo b"), "a\nb\n");
    EXPECT_EQ(QVShellManager::runWithOutput("echo out; echo err 1>&2; echo out2"), "out\nerr\nout2\n");
    EXPECT_EQ(QVShellManager::runWithOutput("printf 'x\\377'"), "");
    EXPECT_EQ(QVShellManager::runWithOutput("exit 4"), "");
}

TEST(QVShellManager, RunWaitsForTheCommandAndReportsNothing)
{
    TempRoot root;
    ConsoleCapture console;
    const fs::path marker = root.path() / "marker";
    QVShellManager::run("sleep 0.2; touch '" + marker.string() + "'; exit 3");
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_EQ(console.output(), "");
}

TEST(QVShellManager, AShellThatCannotStartGivesNothingAndPrintsNothing)
{
    ConsoleCapture console;
    Foundation::ToolMap::set("/bin/zsh", "");
    EXPECT_EQ(QVShellManager::runWithOutput("echo hi"), "");
    QVShellManager::run("echo hi");
    TestAccess::resetForTesting<Foundation::ToolMap>();
    EXPECT_EQ(console.output(), "");
}

TEST(QVShellManager, ForceTerminateKillsTheProcessAndSaysSo)
{
    ConsoleCapture console;
    Foundation::Process sleeper("/bin/sh", {"-c", "exec sleep 30"});
    ASSERT_EQ(sleeper.run().error(), "");
    const pid_t pid = sleeper.processIdentifier();
    QVShellManager::forceTerminateProcess(pid);
    ASSERT_TRUE(sleeper.waitUntilExit(10.0));
    EXPECT_EQ(sleeper.terminationReason(), Foundation::ProcessTerminationReason::uncaughtSignal);
    EXPECT_EQ(sleeper.terminationStatus(), SIGKILL);
    EXPECT_EQ(console.lines(),
              std::vector<std::string> {"Process " + std::to_string(pid) + " terminated successfully."});
}

TEST(QVShellManager, ForceTerminateOfAGoneProcessPrintsTheToolsStatus)
{
    Foundation::Process done("/bin/sh", {"-c", "exit 0"});
    ASSERT_EQ(done.run().error(), "");
    done.waitUntilExit();
    const pid_t pid = done.processIdentifier();
    ConsoleCapture console;
    QVShellManager::forceTerminateProcess(pid);
    expectOneLineStartingWith(console, "Failed to terminate process " + std::to_string(pid) + ". Status code: ");
    EXPECT_NE(console.lines().at(0), "Failed to terminate process " + std::to_string(pid) + ". Status code: 0");
}

TEST(QVShellManager, ForceTerminateRefusesPidsThatNameGroupsWithoutStartingTheTool)
{
    TempRoot root;
    const fs::path started = root.path() / "kill-started";
    FakeTool kill(root.path(), "/bin/kill", "touch '" + started.string() + "'");
    for (const int pid : {0, -1, -4242}) {
        ConsoleCapture console;
        QVShellManager::forceTerminateProcess(pid);
        EXPECT_EQ(console.lines(), std::vector<std::string> {"Error terminating process " + std::to_string(pid) + ": "
                                                             + std::strerror(EINVAL)});
    }
    EXPECT_FALSE(fs::exists(started));
}

TEST(QVShellManager, ForceTerminateReportsAToolThatCannotStart)
{
    Foundation::ToolMap::set("/bin/kill", "");
    ConsoleCapture console;
    QVShellManager::forceTerminateProcess(999999);
    TestAccess::resetForTesting<Foundation::ToolMap>();
    expectOneLineStartingWith(console, "Error terminating process 999999: Could not launch");
}

TEST(QVShellManager, TheFakeKillSeesTheSignalAndThePid)
{
    TempRoot root;
    const fs::path arguments = root.path() / "arguments";
    FakeTool kill(root.path(), "/bin/kill", "printf '%s|' \"$@\" > '" + arguments.string() + "'; exit 1");
    ConsoleCapture console;
    QVShellManager::forceTerminateProcess(4321);
    EXPECT_EQ(readText(arguments), "-9|4321|");
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Failed to terminate process 4321. Status code: 1"});
}

} // namespace
