#include "Classes/Configure/Global/SettingsKey.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/AppService.h"
#include "Platform/System/DesktopEntry.h"
#include "Platform/System/ProcessApplicationLauncher.h"
#include "tests/KitX11/X11TestSupport.h"
#include "tests/Support/TestAccess.h"
#include "tests/e2e/RunningApplicationTest.h"

#include <QElapsedTimer>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using X11TestSupport::waitUntil;
namespace fs = std::filesystem;

namespace {

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string textOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The process listening on the application's instance socket, when one answers.
std::optional<pid_t> instanceProcess()
{
    const std::string path = SystemPlatform::ProcessApplicationLauncher::registrationSocket("com.norvane.AerloOffline");
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::optional<pid_t> pid;
    ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
        && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0)
        pid = credentials.pid;
    ::close(fd);
    return pid;
}

} // namespace

// The scheduled relaunch (every 4 s here) replaces the image in place: the same process, which the
// daemon keeps serving, writes the start-up's mode-0 pair and then its saved manual mode again.
TEST_F(RunningApplicationTest, TheRelaunchReplacesTheProcessInPlaceAndTheSavedModeComesBack)
{
    startSimulator("mbp-m1pro-2fan");
    installHelper();
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    ASSERT_TRUE(
        Foundation::UserDefaults::standard().set(std::int64_t {3000}, Aerlo::SettingsKey::leftFanSpeedAfterDrag));
    ASSERT_TRUE(Foundation::UserDefaults::standard().set(std::int64_t {2}, Aerlo::SettingsKey::fanModeSelectedSegment));
    ASSERT_TRUE(Foundation::UserDefaults::standard().synchronize());
    ::setenv("AERLO_RELAUNCH_SECONDS", "4", 1);
    launchApplication();
    ::unsetenv("AERLO_RELAUNCH_SECONDS");

    const std::vector<std::string> start {modeEntry(0, 0), modeEntry(1, 0), modeEntry(0, 1), modeEntry(1, 1),
                                          speedEntry(0, 3000)};
    ASSERT_TRUE(awaitLogEntry(speedEntry(0, 3000), 0, 10)) << applicationOutput() << helperLogText();
    const pid_t pid = application_->processIdentifier();
    for (int relaunch = 1; relaunch <= 2; ++relaunch) {
        const std::size_t before = helperLog().size();
        ASSERT_TRUE(
            waitUntil([&] { return occurrences(applicationOutput(), "守护进程已安装") > std::size_t(relaunch); }, 10))
            << applicationOutput();
        EXPECT_TRUE(application_->isRunning());
        std::optional<std::size_t> at = before;
        QElapsedTimer sincePair;
        for (const std::string& entry : start) {
            at = awaitLogEntry(entry, *at, entry == modeEntry(0, 0) ? 10 : 2);
            ASSERT_TRUE(at) << entry << " after relaunch " << relaunch << "\n" << helperLogText();
            if (entry == modeEntry(1, 0))
                sincePair.start();
        }
        EXPECT_LT(sincePair.elapsed(), 2000) << "the saved mode is in force again within 2 s";
    }
    EXPECT_EQ(application_->processIdentifier(), pid);
    EXPECT_EQ(instanceProcess(), pid) << "the same process answers as the running copy";
    EXPECT_EQ(helperLogText().find(R"("reason":"client ended")"), std::string::npos) << helperLogText();
    EXPECT_EQ(applicationOutput().find("重启应用失败"), std::string::npos) << applicationOutput();

    application_->terminate();
    ASSERT_TRUE(application_->waitUntilExit(10.0));
    EXPECT_TRUE(everyFanAutomatic(fansAfterASecond()));
}

// The login item: its autostart entry's Exec starts the helper, which starts Aerlo once, quits after
// ten seconds, and started again finds Aerlo running.
TEST_F(RunningApplicationTest, TheHelperFromItsAutostartEntryStartsTheApplicationOnce)
{
    startSimulator("mbp-m1pro-2fan");
    ASSERT_TRUE(SystemPlatform::AppService::setLoginItemEnabled("com.norvane.AerloOfflineHelper", true));
    const auto entry = SystemPlatform::DesktopEntry::read(SystemPlatform::AppService::autostartFolder()
                                                          / "com.norvane.AerloOfflineHelper.desktop");
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->execArguments().size(), 1u);
    const fs::path output = root_.path() / "helper.log";
    const auto runHelper = [&] {
        auto helper = std::make_unique<Foundation::Process>(
            "/bin/sh",
            std::vector<std::string> {"-c", "exec \"$0\" >>\"$1\" 2>&1", entry->execArguments()[0], output.string()});
        EXPECT_EQ(helper->run().error(), "");
        return helper;
    };

    QElapsedTimer elapsed;
    elapsed.start();
    auto helper = runHelper();
    std::optional<pid_t> aerlo;
    ASSERT_TRUE(waitUntil([&] { return (aerlo = instanceProcess()).has_value(); }, 10)) << textOf(output);
    std::error_code error;
    ASSERT_EQ(fs::read_symlink("/proc/" + std::to_string(*aerlo) + "/exe", error), fs::path(AERLO_APP));
    ASSERT_TRUE(helper->waitUntilExit(15.0));
    EXPECT_EQ(helper->terminationStatus(), 0);
    EXPECT_GE(elapsed.elapsed(), 9900);

    helper = runHelper();
    ASSERT_TRUE(helper->waitUntilExit(15.0));
    EXPECT_EQ(helper->terminationStatus(), 0);
    EXPECT_EQ(occurrences(textOf(output), "守护进程未安装。。。"), 1u) << textOf(output);
    EXPECT_EQ(instanceProcess(), aerlo);

    ASSERT_EQ(fs::read_symlink("/proc/" + std::to_string(*aerlo) + "/exe", error), fs::path(AERLO_APP));
    ASSERT_EQ(::kill(*aerlo, SIGTERM), 0);
    EXPECT_TRUE(waitUntil([&] { return !instanceProcess(); }, 10));
}
