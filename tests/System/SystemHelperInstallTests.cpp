#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "Platform/System/SystemHelperInstall.h"
#include "tests/Support/TestAccess.h"
#include "tests/System/DaemonTestSupport.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace SystemPlatform;

namespace {

void writeProgram(const fs::path& path, const std::string& script)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n" << script;
    fs::permissions(path, fs::perms(0755));
}

std::vector<std::string> lines(const fs::path& path)
{
    std::ifstream stream(path);
    std::vector<std::string> all;
    for (std::string line; std::getline(stream, line);)
        all.push_back(line);
    return all;
}

} // namespace

// A system layout under a prefix inside the test's root, with a recording systemctl and pkexec.
class SystemHelperInstallTest : public DaemonTest {
protected:
    void SetUp() override
    {
        DaemonTest::SetUp();
        layout_ = SystemLayout::under(root_.path() / "system");
        // A started unit's daemon makes its socket.
        writeProgram(layout_.systemctl, "echo \"$*\" >> '" + systemctlLog().string() + "'\n"
                                            + "[ \"$1\" = restart ] && [ -z \"$FAKE_NO_DAEMON\" ] && touch '"
                                            + (layout_.runDirectory / (std::string(helperLabel) + ".sock")).string()
                                            + "'\nexit 0\n");
        writeProgram(layout_.pkexec, "echo \"$*\" >> '" + pkexecLog().string() + "'\nexit ${FAKE_PKEXEC_STATUS:-0}\n");
        HelperPaths::useSystemLayout(layout_);
    }
    void TearDown() override
    {
        DaemonTest::TearDown();
        TestAccess::resetForTesting<HelperPaths>();
        ::unsetenv("FAKE_PKEXEC_STATUS");
        ::unsetenv("FAKE_NO_DAEMON");
    }

    void bootedBySystemd() const { fs::create_directories(layout_.systemdMarker); }
    fs::path systemctlLog() const { return root_.path() / "systemctl.log"; }
    fs::path pkexecLog() const { return root_.path() / "pkexec.log"; }
    SystemHelperInstall::Request request() const
    {
        return {helperLabel, bundleDaemon(), bundleClient(), 4321, std::string("applesmc")};
    }
    fs::path installed() const { return layout_.installDirectory / helperLabel; }

    SystemLayout layout_;
};

TEST_F(SystemHelperInstallTest, UnderSystemdPlacesTheProgramJobAndUnitThenReloadsEnablesAndRestarts)
{
    bootedBySystemd();
    const auto result = SystemHelperInstall::install(request());
    ASSERT_TRUE(result.ok()) << result.failure().localizedDescription;

    EXPECT_EQ(fileContents(installed()), fileContents(bundleDaemon()));
    const auto job = LaunchDaemonJob::read(layout_.installDirectory / (std::string(helperLabel) + ".plist"));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->program, installed());
    EXPECT_EQ(job->socketPath, layout_.runDirectory / (std::string(helperLabel) + ".sock"));
    EXPECT_EQ(job->allowedClientUIDs, std::vector<uid_t> {4321});
    EXPECT_EQ(job->environmentVariables.at("AERLO_HELPER_INSTALL"), "system");
    EXPECT_EQ(job->environmentVariables.at("AERLO_SYSTEM_ROOT"), layout_.prefix.string());
    EXPECT_EQ(job->environmentVariables.at("AERLO_SMC"), "applesmc");

    const std::string unit = fileContents(layout_.unitFile(helperLabel));
    const std::string program = "\"" + installed().string() + "\"";
    EXPECT_NE(unit.find("\nExecStart=" + program + "\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("\nExecStopPost=-" + program + " --restore\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("\nRestart=on-failure\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("\nEnvironment=\"AERLO_HELPER_INSTALL=system\"\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("\nWantedBy=multi-user.target\n"), std::string::npos) << unit;

    const std::string name = std::string(helperLabel) + ".service";
    EXPECT_EQ(lines(systemctlLog()), (std::vector<std::string> {"daemon-reload", "enable " + name, "restart " + name}));
    // Nothing of the stand-in install.
    EXPECT_FALSE(fs::exists(root_.path() / "Library" / "PrivilegedHelperTools"));
    EXPECT_FALSE(fs::exists(layout_.runDirectory / (std::string(helperLabel) + ".keepalive.pid")));
}

TEST_F(SystemHelperInstallTest, AUnitWhoseDaemonNeverListensFailsTheInstall)
{
    bootedBySystemd();
    ASSERT_TRUE(SystemHelperInstall::install(request()).ok()); // leaves a socket behind
    ::setenv("FAKE_NO_DAEMON", "1", 1);
    const auto result = SystemHelperInstall::install(request());
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().code, JobBlessErrorCode::launchFailure);
    EXPECT_EQ(result.failure().localizedDescription, "The helper did not start.");
}

TEST_F(SystemHelperInstallTest, UnitValuesAreQuotedForSystemd)
{
    LaunchDaemonJob job;
    job.label = helperLabel;
    job.program = "/opt/a b/100%\"x\\";
    job.environmentVariables = {{"AERLO_SMC", "socket:/tmp/%n"}};
    const auto unit = SystemHelperInstall::unitText(job, layout_);
    ASSERT_TRUE(unit);
    EXPECT_NE(unit->find("\nExecStart=\"/opt/a b/100%%\\\"x\\\\\"\n"), std::string::npos) << *unit;
    EXPECT_NE(unit->find("\nEnvironment=\"AERLO_SMC=socket:/tmp/%%n\"\n"), std::string::npos) << *unit;

    job.environmentVariables = {{"AERLO_SMC", "a\nExecStartPre=/bin/evil"}};
    EXPECT_FALSE(SystemHelperInstall::unitText(job, layout_));
}

TEST_F(SystemHelperInstallTest, UninstallDisablesAndRemovesEverything)
{
    bootedBySystemd();
    ASSERT_TRUE(SystemHelperInstall::install(request()).ok());
    fs::remove(systemctlLog());

    ASSERT_TRUE(JobBlessService::remove(helperLabel).ok());
    const std::string name = std::string(helperLabel) + ".service";
    EXPECT_EQ(lines(systemctlLog()), (std::vector<std::string> {"disable " + name, "daemon-reload"}));
    EXPECT_TRUE(fs::is_empty(layout_.installDirectory));
    EXPECT_TRUE(fs::is_empty(layout_.unitDirectory));
}

TEST_F(SystemHelperInstallTest, TheUninstallCommandStopsTheUnitThenRemovesEverything)
{
    bootedBySystemd();
    ASSERT_TRUE(SystemHelperInstall::install(request()).ok());
    fs::remove(systemctlLog());
    ASSERT_EQ(SystemHelperInstall::uninstallMain(helperLabel, {"--system-root", layout_.prefix.string()}), 0);
    const std::string name = std::string(helperLabel) + ".service";
    EXPECT_EQ(lines(systemctlLog()), (std::vector<std::string> {"stop " + name, "disable " + name, "daemon-reload"}));
    EXPECT_TRUE(fs::is_empty(layout_.installDirectory));
    EXPECT_TRUE(fs::is_empty(layout_.unitDirectory));
}

TEST_F(SystemHelperInstallTest, WithoutSystemdARootOwnedKeepAliveRunsTheHelper)
{
    const auto result = SystemHelperInstall::install(request());
    ASSERT_TRUE(result.ok()) << result.failure().localizedDescription;
    const auto pid = helperPid();
    ASSERT_TRUE(pid);
    EXPECT_TRUE(isRunning(*pid));
    EXPECT_EQ(HelperPaths::pidFile(helperLabel).parent_path(), layout_.runDirectory);
    EXPECT_TRUE(fs::exists(layout_.installDirectory / (std::string(helperLabel) + ".keepalive")));
    EXPECT_FALSE(fs::exists(systemctlLog()));
    EXPECT_FALSE(fs::exists(layout_.unitFile(helperLabel)));

    // The uninstall command stops it, then removes every file.
    ASSERT_TRUE(SystemHelperInstall::uninstall(helperLabel).ok());
    EXPECT_FALSE(isRunning(*pid));
    EXPECT_TRUE(fs::is_empty(layout_.installDirectory));
}

TEST_F(SystemHelperInstallTest, BlessingAsksPolkitToRunTheBundledHelper)
{
    ::setenv("AERLO_SMC", "applesmc", 1);
    const auto result = JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization());
    ::unsetenv("AERLO_SMC");
    ASSERT_TRUE(result.ok()) << result.failure().localizedDescription;
    EXPECT_EQ(lines(pkexecLog()), std::vector<std::string> {bundleDaemon().string() + " --install-system --client "
                                                            + fs::canonical(bundleClient()).string() + " --system-root "
                                                            + layout_.prefix.string() + " --smc applesmc"});
    // The application itself writes nothing of the install.
    EXPECT_FALSE(fs::exists(layout_.installDirectory));
    EXPECT_FALSE(fs::exists(root_.path() / "Library" / "PrivilegedHelperTools"));
}

TEST_F(SystemHelperInstallTest, APolkitRefusalFailsTheBlessing)
{
    for (const auto& [status, text] : {std::pair {"126", "The administrator's authorization was dismissed."},
                                       {"127", "The administrator's authorization was refused."}}) {
        ::setenv("FAKE_PKEXEC_STATUS", status, 1);
        const auto result = JobBlessService::bless(kSMDomainUserLaunchd, helperLabel, blessAuthorization());
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure().code, JobBlessErrorCode::authorizationFailure);
        EXPECT_EQ(result.failure().localizedDescription, text);
    }
}

TEST_F(SystemHelperInstallTest, TheRootSideTakesThePolkitCallersUid)
{
    bootedBySystemd();
    ::setenv("PKEXEC_UID", "2468", 1);
    const int status = SystemHelperInstall::main(
        helperLabel, bundleDaemon(), {"--client", bundleClient().string(), "--system-root", layout_.prefix.string()});
    ::unsetenv("PKEXEC_UID");
    ASSERT_EQ(status, 0);
    const auto job = LaunchDaemonJob::read(layout_.installDirectory / (std::string(helperLabel) + ".plist"));
    ASSERT_TRUE(job);
    EXPECT_EQ(job->allowedClientUIDs, std::vector<uid_t> {2468});
    EXPECT_EQ(job->environmentVariables.count("AERLO_SMC"), 0u);
    EXPECT_EQ(SystemHelperInstall::main(helperLabel, bundleDaemon(), {"--client"}), 64);
}
