#include "tests/System/DaemonTestSupport.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace SystemPlatform;

void DaemonTest::SetUp()
{
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    bundle_ = root_.path() / "Build" / "Aerlo.app";
    fs::create_directories(bundle_ / "Contents" / "MacOS");
    fs::create_directories(bundle_ / "Contents" / "Library" / "LaunchServices");
    std::ofstream(bundleClient(), std::ios::binary) << "fake client\n";
    fs::permissions(bundleClient(), fs::perms(0755));
    fs::copy_file(AERLO_TEST_DAEMON, bundleDaemon());
    fs::permissions(bundleDaemon(), fs::perms(0755));
    // A modification time with nanoseconds, well in the past.
    const timespec times[2] = {{1500000000, 1}, {1600000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, bundleDaemon().c_str(), times, 0), 0);
    Foundation::Bundle::setMainBundlePath(bundle_);
}

void DaemonTest::TearDown()
{
    helperPid();
    (void)JobBlessService::stop(helperLabel, 0.5);
    for (const pid_t pid : seen_) {
        if (isRunning(pid))
            ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0); // orphans are this process's children
    }
    int status = 0;
    while (::waitpid(-1, &status, WNOHANG) > 0) {}
    Foundation::Bundle::setMainBundlePath({});
}

AuthorizationRef DaemonTest::blessAuthorization()
{
    return std::make_shared<Authorization>(std::vector<std::string> {std::string(kSMRightBlessPrivilegedHelper)});
}

fs::path DaemonTest::bundleDaemon() const { return HelperPaths::bundledProgram(bundle_, helperLabel); }

fs::path DaemonTest::bundleClient() const { return bundle_ / "Contents" / "MacOS" / "Aerlo"; }

std::optional<pid_t> DaemonTest::helperPid()
{
    std::ifstream stream(HelperPaths::pidFile(helperLabel));
    long pid = 0;
    if (!(stream >> pid) || pid <= 0)
        return std::nullopt;
    seen_.push_back(static_cast<pid_t>(pid));
    return static_cast<pid_t>(pid);
}

char DaemonTest::processState(pid_t pid)
{
    const std::string stat = fileContents("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

bool DaemonTest::isRunning(pid_t pid)
{
    const char state = processState(pid);
    return state != 0 && state != 'Z' && state != 'X';
}

std::string DaemonTest::fileContents(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}
