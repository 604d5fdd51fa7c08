#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/ToolMap.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using Foundation::Process;
using Foundation::ToolMap;

namespace {

Process::Result shell(const std::string& script, Process::Options options = {})
{
    return Process::run("/bin/sh", {"-c", script}, options);
}

// Children of this process that have exited but were never reaped.
int zombieChildren()
{
    int zombies = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid …; comm may hold spaces and parentheses.
        const size_t close = line.rfind(')');
        if (close == std::string::npos || close + 4 >= line.size())
            continue;
        const char state = line[close + 2];
        const long parent = std::strtol(line.c_str() + close + 4, nullptr, 10);
        if (parent == getpid() && state == 'Z')
            ++zombies;
    }
    return zombies;
}

} // namespace

TEST(Process, LargeOutputOnBothStreamsDoesNotDeadlock)
{
    const size_t size = 1024 * 1024;
    // Standard error first: a reader that drained standard output alone would hang here.
    const auto result = shell("head -c 1048576 /dev/zero | tr '\\0' e >&2; head -c 1048576 /dev/zero | tr '\\0' o");
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.stdout_, std::string(size, 'o'));
    EXPECT_EQ(result.stderr_, std::string(size, 'e'));
}

TEST(Process, LargeInputIsWrittenWhileTheOutputIsRead)
{
    Process::Options options;
    options.standardInput = Process::Input::text;
    for (int i = 0; i < 40000; ++i)
        options.inputText += "line " + std::to_string(i) + "\n";
    const auto result = Process::run("/bin/cat", {}, options);
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.stdout_, options.inputText);
}

TEST(Process, InputTheChildNeverReadsIsDroppedWithoutASignal)
{
    Process::Options options;
    options.standardInput = Process::Input::text;
    options.inputText = std::string(1024 * 1024, 'x');
    const auto result = shell("exec 0<&-; echo done", options);
    EXPECT_EQ(result.stdout_, "done\n");
    EXPECT_EQ(result.status, 0);
}

TEST(Process, StandardInputIsTheNullDeviceUnlessGiven) { EXPECT_EQ(Process::run("/bin/cat", {}).stdout_, ""); }

TEST(Process, MergedStreamsKeepTheOrderOfASingleWriter)
{
    Process::Options options;
    options.standardError = Process::Output::standardOutput;
    std::string script, expected;
    for (int i = 0; i < 200; ++i) {
        script += i % 2 ? "echo out" + std::to_string(i) + "; " : "echo err" + std::to_string(i) + " >&2; ";
        expected += (i % 2 ? "out" : "err") + std::to_string(i) + "\n";
    }
    const auto result = shell(script, options);
    EXPECT_EQ(result.stdout_, expected);
    EXPECT_EQ(result.stderr_, "");
}

TEST(Process, DiscardedStreamsAreNotCollected)
{
    Process::Options options;
    options.standardOutput = Process::Output::discard;
    options.standardError = Process::Output::discard;
    const auto result = shell("echo out; echo err >&2; exit 4", options);
    EXPECT_EQ(result.stdout_, "");
    EXPECT_EQ(result.stderr_, "");
    EXPECT_EQ(result.status, 4);
}

TEST(Process, TerminationStatusAndReason)
{
    struct Case {
        std::string script;
        int status;
        Process::TerminationReason reason;
    };
    const Case cases[] = {
        {"exit 0", 0, Process::TerminationReason::exit},
        {"exit 3", 3, Process::TerminationReason::exit},
        {"exit 255", 255, Process::TerminationReason::exit},
        {"kill -KILL $$", SIGKILL, Process::TerminationReason::uncaughtSignal},
        {"kill -SEGV $$", SIGSEGV, Process::TerminationReason::uncaughtSignal},
    };
    for (const auto& c : cases) {
        const auto result = shell(c.script);
        EXPECT_TRUE(result.launched) << c.script;
        EXPECT_EQ(result.status, c.status) << c.script;
        EXPECT_EQ(result.reason, c.reason) << c.script;
    }
}

TEST(Process, IgnoredSignalsOfTheParentAreNotPassedOn)
{
    const auto previous = std::signal(SIGTERM, SIG_IGN);
    const auto result = shell("kill -TERM $$; exit 0");
    std::signal(SIGTERM, previous);
    EXPECT_EQ(result.reason, Process::TerminationReason::uncaughtSignal);
    EXPECT_EQ(result.status, SIGTERM);
}

TEST(Process, LaunchErrorsNameTheProgramAndTheCause)
{
    TestAccess::resetForTesting<ToolMap>();
    const auto missing = Process::run("/no/such/program", {"x"});
    EXPECT_FALSE(missing.launched);
    EXPECT_EQ(missing.launchError, "Could not launch \"/no/such/program\": No such file or directory");

    const auto unavailable = Process::run("/usr/bin/say", {"hello"});
    EXPECT_FALSE(unavailable.launched);
    EXPECT_EQ(unavailable.launchError,
              "Could not launch \"/usr/bin/say\": the program is not available on this system");

    ToolMap::set("/usr/bin/codesign", "/no/such/fake");
    const auto badFake = Process::run("/usr/bin/codesign", {});
    EXPECT_EQ(badFake.launchError,
              "Could not launch \"/usr/bin/codesign\" (as \"/no/such/fake\"): No such file or directory");
    TestAccess::resetForTesting<ToolMap>();

    Process::Options options;
    options.currentDirectory = "/no/such/folder";
    EXPECT_EQ(Process::run("/bin/ls", {}, options).launchError,
              "Could not launch \"/bin/ls\": the working directory \"/no/such/folder\" is not usable: "
              "No such file or directory");

    TempRoot folder;
    const auto plain = folder.path() / "plain";
    std::ofstream(plain) << "#!/bin/sh\necho never\n";
    std::filesystem::permissions(plain, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(Process::run(plain.string(), {}).launchError,
              "Could not launch \"" + plain.string() + "\": Permission denied");
    const auto garbage = folder.path() / "garbage";
    std::ofstream(garbage) << "\x7f\x01 not a program\n";
    std::filesystem::permissions(garbage, std::filesystem::perms::owner_all);
    EXPECT_EQ(Process::run(garbage.string(), {}).launchError,
              "Could not launch \"" + garbage.string() + "\": Exec format error");
}

TEST(Process, ALaunchedProcessDoesNotLaunchAgain)
{
    Process process("/bin/sh", {"-c", "exit 0"});
    EXPECT_TRUE(process.run().ok());
    const auto again = process.run();
    EXPECT_FALSE(again.ok());
    EXPECT_EQ(again.error(), "Could not launch \"/bin/sh\": it was launched before");
    process.waitUntilExit();
    EXPECT_EQ(process.launchError(), "");
    EXPECT_EQ(process.terminationStatus(), 0);
}

TEST(Process, EnvironmentIsInheritedWithOverridesOrReplaced)
{
    setenv("AERLO_PROCESS_INHERITED", "parent", 1);
    setenv("AERLO_PROCESS_REMOVED", "gone", 1);
    Process::Options options;
    options.environmentOverrides = {{"AERLO_PROCESS_SET", "child"}, {"AERLO_PROCESS_REMOVED", std::nullopt}};
    const auto script = "echo \"$AERLO_PROCESS_INHERITED|$AERLO_PROCESS_SET|${AERLO_PROCESS_REMOVED-unset}\"";
    EXPECT_EQ(shell(script, options).stdout_, "parent|child|unset\n");

    options.environment = std::map<std::string, std::string> {{"ONLY", "1"}};
    options.environmentOverrides = {{"ALSO", "2"}};
    EXPECT_EQ(Process::run("/usr/bin/env", {}, options).stdout_, "ALSO=2\nONLY=1\n");
    unsetenv("AERLO_PROCESS_INHERITED");
    unsetenv("AERLO_PROCESS_REMOVED");
}

TEST(Process, WorkingDirectoryAndArgumentsArePassedUnchanged)
{
    const auto folder = std::filesystem::temp_directory_path();
    Process::Options options;
    options.currentDirectory = folder;
    const auto result = shell("pwd", options);
    EXPECT_EQ(result.stdout_, std::filesystem::canonical(folder).string() + "\n");

    const auto args = Process::run("/bin/sh", {"-c", "printf '[%s]' \"$@\"", "sh", "a b", "", "$HOME", "'q'"});
    EXPECT_EQ(args.stdout_, "[a b][][$HOME]['q']");
}

TEST(Process, BoundedWaitAndTerminate)
{
    Process process("/bin/sh", {"-c", "echo started; exec sleep 30"});
    ASSERT_EQ(process.run().error(), "");
    EXPECT_TRUE(process.isLaunched());
    EXPECT_FALSE(process.waitUntilExit(0.02));
    EXPECT_TRUE(process.isRunning());
    process.terminate();
    EXPECT_TRUE(process.waitUntilExit(10));
    EXPECT_FALSE(process.isRunning());
    EXPECT_EQ(process.terminationReason(), Process::TerminationReason::uncaughtSignal);
    EXPECT_EQ(process.terminationStatus(), SIGTERM);
    EXPECT_EQ(process.standardOutputText(), "started\n");
    process.terminate(); // reaped: no signal goes anywhere
}

TEST(Process, TheChildGetsNoOtherDescriptorOfTheParent)
{
    const int inheritable = ::open("/dev/null", O_RDONLY); // no close-on-exec
    ASSERT_GE(inheritable, 3);
    const auto result = shell("test -e /proc/self/fd/" + std::to_string(inheritable) + " && echo open || echo closed");
    ::close(inheritable);
    EXPECT_EQ(result.stdout_, "closed\n");
}

TEST(Process, RunsFromSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong {0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 15; ++i) {
                const std::string word = std::to_string(t) + ":" + std::to_string(i);
                const auto result = shell("echo " + word + "; echo " + word + " >&2; exit " + std::to_string(t));
                if (result.stdout_ != word + "\n" || result.stderr_ != word + "\n" || result.status != t)
                    ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(Process, InheritedStreamsAreNotCollected)
{
    Process::Options options;
    options.standardOutput = Process::Output::inherit;
    options.standardError = Process::Output::inherit;
    const auto result = shell("exit 7", options);
    EXPECT_EQ(result.status, 7);
    EXPECT_EQ(result.stdout_, "");
}

TEST(Process, LeavesNoZombies)
{
    ASSERT_EQ(zombieChildren(), 0);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(shell("echo " + std::to_string(i) + "; echo err >&2").stdout_, std::to_string(i) + "\n");
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(Process::run("/no/such/program", {}).launched);
    EXPECT_EQ(zombieChildren(), 0);

    // Dropped without a wait: reaped in the background once they exit, so their /proc entries go.
    std::vector<pid_t> dropped;
    for (int i = 0; i < 10; ++i) {
        Process process("/bin/sh", {"-c", "exit 0"});
        ASSERT_EQ(process.run().error(), "");
        dropped.push_back(process.processIdentifier());
    }
    auto anyLeft = [&] {
        for (pid_t pid : dropped)
            if (std::filesystem::exists("/proc/" + std::to_string(pid)))
                return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (anyLeft() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(anyLeft());
    EXPECT_EQ(zombieChildren(), 0);
}
