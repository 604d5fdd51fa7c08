#include "Platform/Foundation/Process.h"
#include "Platform/System/DaemonProcess.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "QVToolsKit/QVFileAdministrator.h"
#include "tests/Support/Eventually.h"
#include "tests/System/DaemonTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace SystemPlatform;

namespace {

// SHA-256 of "fake client\n", the test bundle's executable.
constexpr const char* clientDigest = "68263aa24ab22d93b521f6a431d85c1d032b747560bd0e628f7bf7b7ec63f65f";

fs::path link(const fs::path& path)
{
    std::error_code error;
    return fs::read_symlink(path, error);
}

std::vector<std::string> environmentOf(pid_t pid)
{
    std::ifstream stream("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    std::vector<std::string> variables;
    std::string variable;
    while (std::getline(stream, variable, '\0'))
        variables.push_back(variable);
    return variables;
}

// The names of the files in a folder (none when it does not exist).
std::vector<std::string> listing(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class JobBlessServiceTest : public DaemonTest {};

TEST_F(JobBlessServiceTest, InstallsTheHelperWithMode0544AndTheBundleCopysContentAndTime)
{
    const auto result = JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization());
    ASSERT_TRUE(result) << result.failure().localizedDescription;

    const auto installed = root_.path() / "Library" / "PrivilegedHelperTools" / helperLabel;
    EXPECT_EQ(HelperPaths::installedProgram(helperLabel), installed);
    struct stat attributes {};
    ASSERT_EQ(::stat(installed.c_str(), &attributes), 0);
    EXPECT_TRUE(S_ISREG(attributes.st_mode));
    EXPECT_EQ(attributes.st_mode & 07777, 0544u);
    EXPECT_EQ(attributes.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(attributes.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(fileContents(installed), fileContents(bundleDaemon()));
    // The start-up file check compares them as equal.
    EXPECT_TRUE(QVToolsKit::QVFileAdministrator::checkFileAreEqual(bundleDaemon(), installed));
    // No temporary file is left beside it.
    EXPECT_EQ(listing(installed.parent_path()), std::vector<std::string> {helperLabel});
}

TEST_F(JobBlessServiceTest, WritesTheJobFileNamingTheProgramSocketAndAllowedClient)
{
    ::setenv("AERLO_SMC", "socket:/tmp/smcsim-test.sock", 1);
    const auto result = JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization());
    ::unsetenv("AERLO_SMC");
    ASSERT_TRUE(result);

    const auto jobPath = root_.path() / "Library" / "LaunchDaemons" / (std::string(helperLabel) + ".plist");
    const auto json = nlohmann::ordered_json::parse(fileContents(jobPath), nullptr, false);
    ASSERT_TRUE(json.is_object());
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> {"Label", "Program", "Domain", "SocketPath", "AllowedClientPath",
                                               "AllowedClientUIDs", "AllowedClientSHA256", "EnvironmentVariables",
                                               "StandardOutPath", "StandardErrorPath"}));
    const std::string root = root_.path().string();
    EXPECT_EQ(json["Label"], helperLabel);
    EXPECT_EQ(json["Program"], root + "/Library/PrivilegedHelperTools/" + helperLabel);
    EXPECT_EQ(json["Domain"], "user");
    EXPECT_EQ(json["SocketPath"], root + "/var/run/" + helperLabel + ".sock");
    EXPECT_EQ(json["AllowedClientPath"], fs::canonical(bundleClient()).string());
    EXPECT_EQ(json["AllowedClientUIDs"], nlohmann::ordered_json::array({::getuid()}));
    EXPECT_EQ(json["AllowedClientSHA256"], clientDigest);
    EXPECT_EQ(json["EnvironmentVariables"]["AERLO_ROOT"], root);
    EXPECT_EQ(json["EnvironmentVariables"]["AERLO_SMC"], "socket:/tmp/smcsim-test.sock");
    EXPECT_EQ(json["StandardOutPath"], root + "/var/log/" + helperLabel + ".console.log");

    const auto job = LaunchDaemonJob::read(jobPath);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->json(), json);
}

TEST_F(JobBlessServiceTest, RecordsTheSystemDomain)
{
    ASSERT_TRUE(JobBlessService::bless(kSMDomainSystemLaunchd, helperLabel, blessAuthorization()));
    const auto job = LaunchDaemonJob::read(HelperPaths::jobFile(helperLabel));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->domain, "system");
}

TEST_F(JobBlessServiceTest, StartsTheInstalledHelperDetachedWithItsOwnEnvironmentAndStreams)
{
    ::setenv("AERLO_SMC", "inproc:test", 1);
    ::setenv("AERLO_TEST_PRIVATE", "not for the daemon", 1);
    const auto result = JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization());
    ::unsetenv("AERLO_SMC");
    ::unsetenv("AERLO_TEST_PRIVATE");
    ASSERT_TRUE(result);

    const auto pid = helperPid();
    ASSERT_TRUE(pid);
    EXPECT_EQ(fileContents(HelperPaths::pidFile(helperLabel)), std::to_string(*pid) + "\n");
    EXPECT_TRUE(isRunning(*pid));
    EXPECT_EQ(link("/proc/" + std::to_string(*pid) + "/exe"),
              fs::canonical(HelperPaths::installedProgram(helperLabel)));
    EXPECT_NE(::getsid(*pid), ::getsid(0));
    EXPECT_NE(::getsid(*pid), *pid); // not a session leader: it cannot take a terminal

    const auto environment = environmentOf(*pid);
    EXPECT_EQ(environment,
              (std::vector<std::string> {"AERLO_HELPER_INSTALL=stand-in", "AERLO_ROOT=" + root_.path().string(),
                                         "AERLO_SMC=inproc:test", "PATH=/usr/local/bin:/usr/bin:/bin"}));

    const std::string fd = "/proc/" + std::to_string(*pid) + "/fd/";
    EXPECT_EQ(link(fd + "0"), "/dev/null");
    EXPECT_EQ(link(fd + "1"), fs::canonical(HelperPaths::consoleLog(helperLabel)));
    EXPECT_EQ(link(fd + "2"), fs::canonical(HelperPaths::consoleLog(helperLabel)));
    // Nothing else inherited (a sanitizer's runtime may hold a file open for a moment as it starts).
    EXPECT_TRUE(eventually([&] { return link(fd + "3").empty(); }, 2));
}

TEST_F(JobBlessServiceTest, ASecondBlessingStopsTheOldHelperBeforeStartingTheNewOne)
{
    ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
    const auto first = helperPid();
    ASSERT_TRUE(first);

    ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
    const auto second = helperPid();
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_FALSE(isRunning(*first));
    EXPECT_TRUE(isRunning(*second));
    EXPECT_EQ(link("/proc/" + std::to_string(*second) + "/exe"),
              fs::canonical(HelperPaths::installedProgram(helperLabel)));
}

TEST_F(JobBlessServiceTest, AFailedBlessingChangesNothing)
{
    enum class Damage { none, removeHelper, helperNotExecutable, removeClient };
    const auto granted = [] { return blessAuthorization(); };
    const std::string refused = "The authorization does not allow installing a privileged helper.";
    const struct {
        const char* name;
        Damage damage;
        AuthorizationRef (*authorization)();
        std::string label;
        JobBlessErrorCode code;
        std::string description;
    } cases[] = {
        {"missing helper", Damage::removeHelper, +granted, helperLabel, JobBlessErrorCode::toolNotValid,
         "The helper tool \"" + bundleDaemon().string() + "\" does not exist."},
        {"helper not executable", Damage::helperNotExecutable, +granted, helperLabel, JobBlessErrorCode::toolNotValid,
         "The helper tool \"" + bundleDaemon().string() + "\" is not executable."},
        {"missing client", Damage::removeClient, +granted, helperLabel, JobBlessErrorCode::clientNotValid,
         "The application's executable \"" + bundleClient().string() + "\" cannot be found."},
        {"no authorization", Damage::none, [] { return AuthorizationRef(); }, helperLabel,
         JobBlessErrorCode::authorizationFailure, refused},
        {"authorization without the right", Damage::none,
         [] { return std::make_shared<Authorization>(std::vector<std::string> {}); }, helperLabel,
         JobBlessErrorCode::authorizationFailure, refused},
        {"freed authorization", Damage::none,
         [] {
             auto authorization = blessAuthorization();
             authorization->invalidate();
             return authorization;
         },
         helperLabel, JobBlessErrorCode::authorizationFailure, refused},
        {"label with a slash", Damage::none, +granted, "../x", JobBlessErrorCode::invalidLabel,
         "The helper label \"../x\" is not valid."},
    };

    const auto daemonCopy = root_.path() / "daemon.copy";
    const auto clientCopy = root_.path() / "client.copy";
    fs::copy_file(bundleDaemon(), daemonCopy);
    fs::copy_file(bundleClient(), clientCopy);

    for (const bool installedBefore : {false, true}) {
        std::optional<pid_t> running;
        if (installedBefore) {
            ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
            running = helperPid();
            ASSERT_TRUE(running);
        }
        const auto helpers = listing(HelperPaths::privilegedHelperTools());
        const auto installed = fileContents(HelperPaths::installedProgram(helperLabel));
        const auto job = fileContents(HelperPaths::jobFile(helperLabel));
        const auto pid = fileContents(HelperPaths::pidFile(helperLabel));

        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (installedBefore ? ", helper installed before" : ", fresh root"));
            if (c.damage == Damage::removeHelper)
                fs::remove(bundleDaemon());
            if (c.damage == Damage::helperNotExecutable)
                fs::permissions(bundleDaemon(), fs::perms(0644));
            if (c.damage == Damage::removeClient)
                fs::remove(bundleClient());

            const auto result = JobBlessService::bless(kSMDomainUserLaunchd, c.label, c.authorization());
            ASSERT_FALSE(result);
            EXPECT_EQ(result.failure().code, c.code);
            EXPECT_EQ(result.failure().localizedDescription, c.description);

            EXPECT_EQ(listing(HelperPaths::privilegedHelperTools()), helpers);
            EXPECT_EQ(fileContents(HelperPaths::installedProgram(helperLabel)), installed);
            EXPECT_EQ(fileContents(HelperPaths::jobFile(helperLabel)), job);
            EXPECT_EQ(fileContents(HelperPaths::pidFile(helperLabel)), pid);
            if (running) {
                EXPECT_TRUE(isRunning(*running));
            }

            fs::copy_file(daemonCopy, bundleDaemon(), fs::copy_options::overwrite_existing);
            fs::permissions(bundleDaemon(), fs::perms(0755));
            fs::copy_file(clientCopy, bundleClient(), fs::copy_options::overwrite_existing);
        }
    }
}

TEST_F(JobBlessServiceTest, StopEndsAHelperThatIgnoresSigtermWithSigkill)
{
    const auto installed = HelperPaths::installedProgram(helperLabel);
    fs::create_directories(installed.parent_path());
    fs::create_directories(HelperPaths::runDirectory());
    fs::copy_file(bundleDaemon(), installed);
    const auto launched = DaemonProcess::launch(installed, {}, {{"AERLO_TEST_IGNORE_TERM", "1"}}, "/dev/null");
    ASSERT_TRUE(launched) << launched.error();
    const pid_t pid = *launched;
    track(pid);
    // Wait (bounded) until it has set SIGTERM aside.
    bool ignoring = false;
    for (int i = 0; i < 2000 && !ignoring; ++i) {
        const auto status = fileContents("/proc/" + std::to_string(pid) + "/status");
        const auto at = status.find("SigIgn:\t");
        ignoring =
            at != std::string::npos && (std::stoull(status.substr(at + 8, 16), nullptr, 16) & (1ull << (SIGTERM - 1)));
        if (!ignoring)
            ::usleep(1000);
    }
    ASSERT_TRUE(ignoring);

    EXPECT_EQ(DaemonProcess::stop(pid, installed, 0.02), DaemonStopOutcome::killed);
    EXPECT_FALSE(isRunning(pid));
}

TEST_F(JobBlessServiceTest, StopSignalsOnlyTheInstalledProgram)
{
    // A pid file naming another program: that program is left alone and the pid file goes.
    Foundation::Process other("/bin/sleep", {"30"});
    ASSERT_EQ(other.run().error(), "");
    fs::create_directories(HelperPaths::runDirectory());
    std::ofstream(HelperPaths::pidFile(helperLabel)) << other.processIdentifier() << "\n";
    EXPECT_TRUE(JobBlessService::stop(helperLabel).ok());
    EXPECT_TRUE(other.isRunning());
    EXPECT_FALSE(fs::exists(HelperPaths::pidFile(helperLabel)));
    other.terminate();
    other.waitUntilExit();

    // The calling process is never stopped.
    EXPECT_EQ(DaemonProcess::stop(::getpid(), fs::read_symlink("/proc/self/exe"), 0.01), DaemonStopOutcome::failed);
}

TEST_F(JobBlessServiceTest, StopRemovesPidFilesThatNameNoProcess)
{
    fs::create_directories(HelperPaths::runDirectory());
    for (const std::string text : {"", "abc", "-5", "0", "12 34", "99999999999", "4194304000\n"}) {
        SCOPED_TRACE(text);
        std::ofstream(HelperPaths::pidFile(helperLabel)) << text;
        EXPECT_TRUE(JobBlessService::stop(helperLabel).ok());
        EXPECT_FALSE(fs::exists(HelperPaths::pidFile(helperLabel)));
    }
    EXPECT_TRUE(JobBlessService::stop(helperLabel).ok()); // no pid file
    EXPECT_EQ(JobBlessService::stop("a/b").error(), "The helper label \"a/b\" is not valid.");
}

TEST_F(JobBlessServiceTest, StopAndRemoveTakeTheHelperAway)
{
    ASSERT_TRUE(JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization()));
    const auto pid = helperPid();
    ASSERT_TRUE(pid);
    std::ofstream(HelperPaths::socket(helperLabel)) << "";

    EXPECT_TRUE(JobBlessService::stop(helperLabel).ok());
    EXPECT_FALSE(isRunning(*pid));
    EXPECT_FALSE(fs::exists(HelperPaths::pidFile(helperLabel)));

    EXPECT_TRUE(JobBlessService::remove(helperLabel).ok());
    for (const auto& path : {HelperPaths::installedProgram(helperLabel), HelperPaths::jobFile(helperLabel),
                             HelperPaths::socket(helperLabel)})
        EXPECT_FALSE(fs::exists(path)) << path;
}

TEST_F(JobBlessServiceTest, LaunchReportsAProgramThatCannotRun)
{
    const auto missing = root_.path() / "missing";
    const auto launched = DaemonProcess::launch(missing, {}, {}, "/dev/null");
    EXPECT_FALSE(launched);
    EXPECT_EQ(launched.error(), "Cannot run \"" + missing.string() + "\": No such file or directory");

    const auto unwritable = DaemonProcess::launch(bundleDaemon(), {}, {}, root_.path() / "no" / "log");
    EXPECT_FALSE(unwritable);
    EXPECT_EQ(unwritable.error(),
              "Cannot open \"" + (root_.path() / "no" / "log").string() + "\": No such file or directory");
}
