#include "Classes/FanControl/QVDaemonManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Process.h"
#include "Platform/System/EmbeddedInfo.h"
#include "Platform/System/HelperPaths.h"
#include "tests/FanControl/HelperClientTest.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace SystemPlatform;
using Aerlo::SMCHelper;
using XPC::RecordingTransport;

namespace {

const std::string emptyAuthorizationLine = "Unable to get a valid empty authorization reference to load Helper daemon";
const std::string loadingAuthorizationLine =
    "Unable to get a valid loading authorization reference to load Helper daemon";
const std::string newVersionLine = "New version of SMC helper is detected, going to update...";
const std::string installedLine = "The new version of SMC helper was successfully installed.";
const std::string notInstalledLine = "Error when installing a new version of the SMC helper.";

// The scripted provider, noting each request in a shared timeline.
class TimelineAuthorization : public ScriptedAuthorizationProvider {
public:
    explicit TimelineAuthorization(std::vector<std::string>& timeline) : timeline_(timeline) {}

    AuthorizationResult create(const AuthorizationRights& rights, AuthorizationFlags flags) override
    {
        timeline_.push_back("authorize");
        return ScriptedAuthorizationProvider::create(rights, flags);
    }

private:
    std::vector<std::string>& timeline_;
};

std::optional<std::string> versionOf(const fs::path& program)
{
    const auto info = EmbeddedInfo::infoDictionary(program);
    if (!info || !info->contains("CFBundleShortVersionString"))
        return std::nullopt;
    return (*info)["CFBundleShortVersionString"].get<std::string>();
}

void writeFile(const fs::path& path, const std::string& contents)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

} // namespace

class HelperLifecycleTest : public HelperClientTest {
protected:
    std::string mode(int fan) const { return modeSelector + " [" + std::to_string(fan) + ",0]"; }

    // The files of a running daemon.
    void daemonRuns()
    {
        writeFile(HelperPaths::socket(SMCHelper::label), "");
        writeFile(HelperPaths::pidFile(SMCHelper::label), "4194304\n"); // above any pid the kernel gives
    }
    void daemonGoes()
    {
        fs::remove(HelperPaths::socket(SMCHelper::label));
        fs::remove(HelperPaths::pidFile(SMCHelper::label));
    }

    // A daemon answering with `version`, or with the installed program's version once one is installed.
    void daemonAnswers(std::string version, std::vector<std::string>* timeline = nullptr)
    {
        respond([version, timeline](const XPC::Request& request) {
            if (timeline)
                timeline->push_back(request.sel);
            if (request.sel != "versionWithCompletion:")
                return RecordingTransport::Response::reply();
            const auto installed = versionOf(HelperPaths::installedProgram(SMCHelper::label));
            return RecordingTransport::Response::reply(installed.value_or(version));
        });
    }

    std::vector<std::string> checkVersion()
    {
        helper().checkHelperVersion();
        drain();
        return sent();
    }
};

TEST_F(HelperLifecycleTest, AnAuthorizationRefusedAtEitherStepPrintsItsLineAndFails)
{
    using enum ScriptedAuthorization;
    const struct {
        std::initializer_list<ScriptedAuthorization> script;
        std::string line;
        std::size_t calls;
    } cases[] = {
        {{deny}, emptyAuthorizationLine, 1},
        {{grant, cancel}, loadingAuthorizationLine, 2},
        {{grant, deny}, loadingAuthorizationLine, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " after " + std::to_string(c.calls) + " calls");
        authorization_ = std::make_shared<ScriptedAuthorizationProvider>();
        AuthorizationProvider::replaceShared(authorization_);
        authorization_->script(c.script);
        console_.clear();
        std::vector<bool> outcomes;
        int refusals = 0;
        helper().authorizationRefusedHandler = [&] { ++refusals; };
        helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
        EXPECT_EQ(outcomes, std::vector<bool>{false});
        EXPECT_EQ(console_.lines(), std::vector<std::string>{c.line});
        // Only the step that asks the administrator is a refusal the user hears of.
        EXPECT_EQ(refusals, c.calls == 2 ? 1 : 0);
        EXPECT_EQ(authorization_->calls().size(), c.calls);
        EXPECT_TRUE(authorization_->frees().empty());
    }
    EXPECT_FALSE(fs::exists(HelperPaths::installedProgram(SMCHelper::label)));
}

TEST_F(HelperLifecycleTest, AFailedBlessingPrintsItsDescription)
{
    fs::remove(bundleDaemon());
    std::vector<bool> outcomes;
    int refusals = 0;
    helper().authorizationRefusedHandler = [&] { ++refusals; };
    helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
    EXPECT_EQ(outcomes, std::vector<bool>{false});
    EXPECT_EQ(refusals, 0);
    EXPECT_EQ(console_.lines(), std::vector<std::string>{"Error while installing the Helper: The helper tool \"" +
                                                         bundleDaemon().string() + "\" does not exist."});
    EXPECT_TRUE(authorization_->frees().empty());
}

TEST_F(HelperLifecycleTest, InstallingAsksForTheBlessRightThenBlessesAndFrees)
{
    std::vector<bool> outcomes;
    helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
    helperPid();
    EXPECT_EQ(outcomes, std::vector<bool>{true});
    EXPECT_TRUE(console_.lines().empty());
    const auto calls = authorization_->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].rights.empty());
    EXPECT_EQ(calls[0].flags, 0x10u);
    ASSERT_EQ(calls[1].rights.size(), 1u);
    EXPECT_EQ(calls[1].rights[0].name, "com.apple.ServiceManagement.blesshelper");
    EXPECT_EQ(calls[1].rights[0].value, "");
    EXPECT_EQ(calls[1].rights[0].flags, 0u);
    EXPECT_EQ(calls[1].flags, 0x13u);
    EXPECT_EQ(authorization_->frees(), std::vector<AuthorizationFlags>{0});
    EXPECT_TRUE(helper().isInstalled());
    EXPECT_NE(fileContents(HelperPaths::jobFile(SMCHelper::label)).find("\"user\""), std::string::npos);
}

TEST_F(HelperLifecycleTest, UninstallPutsEachFanBackThenUninstallsAndAnnounces)
{
    useFanCount(2);
    helper().uninstall(false);
    const std::vector<std::string> expected {smcPathLine(), mode(0), smcPathLine(), mode(1), smcPathLine(), "uninstall []"};
    EXPECT_EQ(sent(), expected);
    const auto posts = helperStatePosts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_FALSE(posts[0].state);
    EXPECT_EQ(posts[0].messagesBefore, expected.size());

    helper().uninstall(true);
    EXPECT_EQ(sent().size(), 2 * expected.size());
    EXPECT_EQ(helperStatePosts().size(), 1u) << "silent";
}

TEST_F(HelperLifecycleTest, UninstallAddressesOnlyTheFansFNumNames)
{
    const struct {
        const char* name;
        std::string type;
        std::vector<std::uint8_t> bytes;
        int fans;
    } cases[] = {
        {"no FNum", "", {}, 0},
        {"FNum 0", "ui8 ", {0}, 0},
        {"FNum NaN", "flt ", {0x00, 0x00, 0xC0, 0x7F}, 0},
        {"FNum -1", "flt ", {0x00, 0x00, 0x80, 0xBF}, 0},
        {"FNum 2.5", "flt ", {0x00, 0x00, 0x20, 0x40}, 2},
        {"FNum 4", "ui8 ", {4}, 4},
        {"FNum 12", "ui8 ", {12}, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        useFanCount(c.type, c.bytes);
        const auto before = sent().size();
        helper().uninstall(true);
        std::vector<std::string> expected;
        for (int fan = 0; fan < c.fans; ++fan) {
            expected.push_back(smcPathLine());
            expected.push_back(mode(fan));
        }
        expected.push_back(smcPathLine());
        expected.push_back("uninstall []");
        const auto all = sent();
        EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), expected);
    }
}

TEST_F(HelperLifecycleTest, UninstallWithoutAProxySendsAndAnnouncesNothing)
{
    useFanCount(2);
    TestAccess::resetForTesting<SMCHelper>([] { return std::shared_ptr<XPC::Transport>(); });
    helper().uninstall(false);
    EXPECT_TRUE(helperStatePosts().empty());
    EXPECT_EQ(connectionsMade(), 0u);
}

TEST_F(HelperLifecycleTest, TheSameVersionSendsNothingButTheVersionRequest)
{
    daemonAnswers(AERLO_TEST_DAEMON_VERSION);
    EXPECT_EQ(checkVersion(), (std::vector<std::string>{smcPathLine(), "versionWithCompletion: []"}));
    driver_.advance(10);
    EXPECT_EQ(sent().size(), 2u);
    EXPECT_TRUE(console_.lines().empty());
}

TEST_F(HelperLifecycleTest, WithoutAVersionInTheBundlesDaemonNothingIsAsked)
{
    writeFile(bundleDaemon(), "#!/bin/sh\n"); // no info section
    EXPECT_TRUE(checkVersion().empty());
    fs::remove(bundleDaemon());
    EXPECT_TRUE(checkVersion().empty());
    EXPECT_EQ(connectionsMade(), 0u);
    EXPECT_TRUE(console_.lines().empty());
}

TEST_F(HelperLifecycleTest, AnotherVersionIsReplacedOnTheMainQueueOnceTheOldDaemonHasGone)
{
    std::vector<std::string> timeline;
    auto authorization = std::make_shared<TimelineAuthorization>(timeline);
    AuthorizationProvider::replaceShared(authorization);
    useFanCount(2);
    daemonRuns();
    daemonAnswers("1.0", &timeline); // the bundle's copy says 1.0.0

    EXPECT_EQ(checkVersion().size(), 2u) << "nothing more is sent from the reply's queue";
    EXPECT_EQ(console_.lines(), std::vector<std::string>{newVersionLine});
    driver_.runUntilIdle();
    EXPECT_EQ(sent(), (std::vector<std::string>{smcPathLine(), "versionWithCompletion: []", smcPathLine(), mode(0),
                                                smcPathLine(), mode(1), smcPathLine(), "uninstall []"}));
    driver_.advance(1.0);
    EXPECT_TRUE(authorization->calls().empty()) << "the old daemon is still there";

    daemonGoes();
    timeline.push_back("old daemon gone");
    driver_.advance(SMCHelper::reinstallPollSeconds);
    helperPid();
    EXPECT_EQ(console_.lines(), (std::vector<std::string>{newVersionLine, installedLine}));
    EXPECT_TRUE(helperStatePosts().empty());

    helper().checkHelperVersion(); // the new daemon answers the new version
    drain();
    driver_.advance(10);
    EXPECT_EQ(timeline, (std::vector<std::string>{"setSMCPath:", "versionWithCompletion:", "setSMCPath:", modeSelector,
                                                  "setSMCPath:", modeSelector, "setSMCPath:", "uninstall",
                                                  "old daemon gone", "authorize", "authorize", "setSMCPath:",
                                                  "versionWithCompletion:"}));
    EXPECT_EQ(versionOf(HelperPaths::installedProgram(SMCHelper::label)), AERLO_TEST_DAEMON_VERSION);
    EXPECT_EQ(console_.lines().size(), 2u);
}

TEST_F(HelperLifecycleTest, AReinstallWaitsForTheOldDaemonsProcessToEnd)
{
    authorization_->script({ScriptedAuthorization::deny});
    useFanCount(1);
    Foundation::Process old("/bin/sleep", {"30"});
    ASSERT_EQ(old.run().error(), "");
    writeFile(HelperPaths::socket(SMCHelper::label), "");
    writeFile(HelperPaths::pidFile(SMCHelper::label), std::to_string(old.processIdentifier()) + "\n");
    daemonAnswers("1.0");
    checkVersion();
    driver_.runUntilIdle();
    daemonGoes(); // its files go first
    driver_.advance(1.0);
    EXPECT_TRUE(authorization_->calls().empty()) << "its process still runs";
    old.terminate();
    old.waitUntilExit();
    driver_.advance(SMCHelper::reinstallPollSeconds);
    EXPECT_EQ(authorization_->calls().size(), 1u);
}

TEST_F(HelperLifecycleTest, AReinstallWaitsForTheOldDaemonNoLongerThanItsBound)
{
    authorization_->script({ScriptedAuthorization::deny});
    useFanCount(1);
    daemonRuns(); // and never goes
    daemonAnswers("1.0");
    checkVersion();
    driver_.runUntilIdle();
    driver_.advance(SMCHelper::reinstallWaitSeconds - 0.05);
    EXPECT_TRUE(authorization_->calls().empty());
    driver_.advance(0.1);
    EXPECT_EQ(authorization_->calls().size(), 1u);
}

TEST_F(HelperLifecycleTest, AFailedReinstallIsAnnounced)
{
    authorization_->script({ScriptedAuthorization::deny});
    useFanCount(2);
    daemonAnswers("1.0");
    checkVersion();
    driver_.runUntilIdle(); // the old daemon's files are not there: no wait
    EXPECT_EQ(console_.lines(), (std::vector<std::string>{newVersionLine, emptyAuthorizationLine, notInstalledLine}));
    const auto posts = helperStatePosts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_FALSE(posts[0].state);
    EXPECT_EQ(posts[0].messagesBefore, 8u);
}

class DaemonManagerTest : public HelperLifecycleTest {
protected:
    fs::path applicationsCopy() const
    {
        return Foundation::Paths::resolve("/Applications/Aerlo.app/Contents/Library/LaunchServices/" +
                                          std::string(SMCHelper::label));
    }
    fs::path installed() const { return HelperPaths::installedProgram(SMCHelper::label); }

    // What is sent when the check runs and the clock moves by `steps`, after each step.
    std::vector<std::size_t> sentAfter(std::initializer_list<double> steps)
    {
        Aerlo::QVDaemonManager::checkHelperUpdate();
        std::vector<std::size_t> counts;
        for (const double step : steps) {
            driver_.advance(step);
            counts.push_back(sent().size());
        }
        return counts;
    }
};

TEST_F(DaemonManagerTest, AMissingOrDifferentCopyAsksForAnUpdateOnce5SecondsLater)
{
    const struct {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"nothing installed", [] {}},
        {"no application copy", [&] { writeFile(installed(), "daemon"); }},
        {"different contents", [&] {
             writeFile(applicationsCopy(), "daemon 2");
             fs::last_write_time(applicationsCopy(), fs::last_write_time(installed()));
         }},
        {"different time", [&] {
             writeFile(applicationsCopy(), "daemon");
             fs::last_write_time(applicationsCopy(), fs::last_write_time(installed()) - std::chrono::seconds(1));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        const auto before = sent().size();
        EXPECT_EQ(sentAfter({4.9, 0.1, 10.0}),
                  (std::vector<std::size_t>{before, before + 2, before + 2}));
        const auto all = sent();
        EXPECT_EQ(std::vector<std::string>(all.end() - 2, all.end()),
                  (std::vector<std::string>{smcPathLine(), "update []"}));
    }
}

TEST_F(DaemonManagerTest, EqualFilesAskForNothing)
{
    writeFile(installed(), "daemon");
    writeFile(applicationsCopy(), "daemon");
    fs::last_write_time(applicationsCopy(), fs::last_write_time(installed()));
    EXPECT_EQ(sentAfter({5.0, 10.0}), (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(connectionsMade(), 0u);
}

TEST_F(DaemonManagerTest, TheInstallersCopyComparesEqual)
{
    std::vector<bool> outcomes;
    helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
    helperPid();
    ASSERT_EQ(outcomes, std::vector<bool>{true});
    fs::create_directories(applicationsCopy().parent_path());
    fs::copy_file(bundleDaemon(), applicationsCopy());
    fs::last_write_time(applicationsCopy(), fs::last_write_time(bundleDaemon()));
    EXPECT_EQ(sentAfter({5.0, 10.0}), (std::vector<std::size_t>{0, 0}));
}
