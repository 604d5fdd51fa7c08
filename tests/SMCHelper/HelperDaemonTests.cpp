#include "Platform/System/HelperPaths.h"
#include "Platform/XPC/Socket.h"
#include "tests/SMCHelper/HelperTestSupport.h"

#include <csignal>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using Aerlo::HelperConfiguration;
using Aerlo::HelperDaemon;
using HelperTest::HelperFixture;
using HelperTest::logRecords;
using SystemPlatform::HelperPaths;

constexpr const char* fanMode = "setFanModeWithId:mode:completion:";

void writeFile(const fs::path& path, const std::string& contents, fs::perms permissions = fs::perms(0644))
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    fs::permissions(path, permissions);
}

class HelperLifeCycle : public HelperFixture {
protected:
    void forceBothFans()
    {
        ASSERT_TRUE(send(fanMode, {0, 1}));
        ASSERT_TRUE(send(fanMode, {1, 1}));
        ASSERT_EQ(machine.device->value("F0Md"), 1);
        ASSERT_EQ(machine.device->value("F1Md"), 1);
    }
    bool bothAutomatic() const { return machine.device->value("F0Md") == 0 && machine.device->value("F1Md") == 0; }
};

TEST_F(HelperLifeCycle, DevelopmentRunServesOnlyItsOwnUidAndSaysSoLoudly)
{
    makeDaemon();
    const std::string warning = "No job file at " + HelperPaths::jobFile(HelperTest::label).string()
                                + ": development run, serving only uid " + std::to_string(::getuid())
                                + " and not checking the client's executable.";
    EXPECT_EQ(console.errors(), warning + "\n");
    const auto start = logRecords("start");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0]["version"], "2.4.0");
    EXPECT_EQ(start[0]["development"], true);
    EXPECT_EQ(logRecords("development").at(0)["warning"], warning);

    HelperTest::RecordingPeer stranger({::getpid(), ::getuid() + 1, ::getgid()});
    EXPECT_FALSE(daemon->admitPeer(stranger.credentials()));
    const auto refused = logRecords("refused");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0]["reason"], "uid " + std::to_string(::getuid() + 1) + " is not an allowed client");
    EXPECT_TRUE(logRecords("message").empty());
}

TEST_F(HelperLifeCycle, ALivingClientKeepsItsFansHoweverLongItsConnectionsAreGone)
{
    makeDaemon();
    forceBothFans();
    const auto owners = daemon->fanOwners();
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(owners.at(0).pid, ::getpid());
    machine.clock.advance(86400);
    daemon->tick();
    EXPECT_EQ(machine.device->value("F0Md"), 1);
    EXPECT_EQ(machine.device->value("F1Md"), 1);
    EXPECT_TRUE(logRecords("restore").empty());

    // Set back to automatic by the client: no longer its fan.
    ASSERT_TRUE(send(fanMode, {1, 0}));
    EXPECT_EQ(daemon->fanOwners().count(1), 0u);
}

TEST_F(HelperLifeCycle, TheFansOfAClientThatEndsReturnToAutomaticAtOnce)
{
    makeDaemon();
    const pid_t child = HelperTest::waitingChild();
    ASSERT_GE(child, 0);
    HelperTest::RecordingPeer other({child, ::getuid(), ::getgid()});
    ASSERT_TRUE(send(other, fanMode, {0, 1}));
    ASSERT_TRUE(send(fanMode, {1, 1}));
    ASSERT_EQ(daemon->fanOwners().at(0).pid, child);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    // The pidfd wakes the watch: no tick, no clock.
    EXPECT_TRUE(HelperTest::eventually([&] { return machine.device->value("F0Md") == 0; }, 1.0));
    EXPECT_EQ(machine.device->value("F1Md"), 1);
    ASSERT_TRUE(HelperTest::eventually([] { return logRecords("restore").size() == 1; }));
    const auto restore = logRecords("restore")[0];
    EXPECT_EQ(restore["reason"], "client ended");
    EXPECT_EQ(restore["pid"], child);
    EXPECT_EQ(restore["fans"], nlohmann::json::array({0}));
    EXPECT_EQ(daemon->fanOwners().count(0), 0u);
}

TEST(ClientWatchTest, WithoutPidfdsACheckFindsTheEndedRunsByTheirStartTime)
{
    TempRoot root;
    const auto proc = root.path() / "proc";
    const auto process = [&](pid_t pid, unsigned long long start, char state = 'S') {
        fs::create_directories(proc / std::to_string(pid));
        std::string line = std::to_string(pid) + " (Aerlo) " + state;
        for (int field = 4; field <= 21; ++field)
            line += " 0";
        std::ofstream(proc / std::to_string(pid) / "stat") << line << " " << start << " 0\n";
    };
    std::vector<Aerlo::ClientProcess> ended;
    Aerlo::ClientWatch watch([&](const Aerlo::ClientProcess& run) { ended.push_back(run); }, proc);
    // Pids far above any real one, so that no pidfd can be taken.
    process(99000001, 10);
    process(99000002, 20);
    process(99000003, 30);
    EXPECT_EQ(watch.process(99000001), (Aerlo::ClientProcess {99000001, 10}));
    EXPECT_FALSE(watch.watch({99000001, 11})); // another run
    EXPECT_TRUE(watch.watch({99000001, 10}));
    EXPECT_TRUE(watch.watch({99000002, 20}));
    EXPECT_TRUE(watch.watch({99000003, 30}));
    EXPECT_EQ(watch.check(), 0u);

    process(99000001, 12); // the pid taken by another process
    process(99000002, 20, 'Z'); // exited, not reaped
    fs::remove_all(proc / "99000003");
    watch.forget({99000003, 30});
    EXPECT_EQ(watch.check(), 2u);
    EXPECT_EQ(ended, (std::vector<Aerlo::ClientProcess> {{99000001, 10}, {99000002, 20}}));
    EXPECT_EQ(watch.check(), 0u);
    EXPECT_FALSE(watch.isWatching({99000001, 10}));
}

TEST_F(HelperLifeCycle, AtStartFansNoLivingClientForcedReturnToAutomatic)
{
    struct Case {
        const char* name;
        std::function<std::string()> handover;
        std::vector<int> restored;
        std::string refusal = {}; // the one "handover" line, when refused
    };
    const auto handover = [](pid_t daemonPid, pid_t client) {
        const auto run = Aerlo::ClientWatch([](const Aerlo::ClientProcess&) {}).process(client);
        return nlohmann::json {{"pid", daemonPid}, {"owners", {{1, client, run ? run->startTime : 0}}}}.dump();
    };
    const Case cases[] = {
        {"nothing handed over", [] { return std::string(); }, {0, 1}},
        {"this process handed over a living owner", [&] { return handover(::getpid(), ::getpid()); }, {0}},
        {"another process's word", [&] { return handover(::getpid() + 1, ::getpid()); }, {0, 1}},
        {"an owner that is gone", [&] { return handover(::getpid(), 99000001); }, {0, 1}},
        {"garbage",
         [] { return std::string("{\"pid\":"); },
         {0, 1},
         "the handover is not {\"pid\": <pid>, \"owners\": [...]}"},
        {"a pid as text",
         [] { return std::string(R"({"pid":"12","owners":[]})"); },
         {0, 1},
         "the handover is not {\"pid\": <pid>, \"owners\": [...]}"},
        {"an owner's pid as text",
         [] { return R"({"pid":)" + std::to_string(::getpid()) + R"(,"owners":[[1,"2",3]]})"; },
         {0, 1},
         "the handover holds a malformed owner: [1,\"2\",3]"},
        {"a fan beyond the keys",
         [] { return R"({"pid":)" + std::to_string(::getpid()) + R"(,"owners":[[10,2,3]]})"; },
         {0, 1},
         "the handover holds a malformed owner: [10,2,3]"},
    };
    std::size_t handoverLines = 0;
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        {
            Aerlo::FanWriter writer(machine.registry);
            ASSERT_TRUE(writer.setMode(0, 1));
            ASSERT_TRUE(writer.setMode(1, 1));
        }
        Aerlo::HelperDaemon::Options options;
        options.version = "2.4.0";
        options.configuration = HelperConfiguration::developmentRun(::getuid());
        options.smcRegistry = machine.registry;
        options.clock = &machine.clock;
        options.handover = item.handover();
        daemon = std::make_unique<HelperDaemon>(options);
        ASSERT_TRUE(daemon->start());
        // A handover that cannot be trusted is refused with one line, never with an exception.
        const auto refusals = logRecords("handover");
        const bool refused = !item.refusal.empty() || item.name == std::string("another process's word");
        ASSERT_EQ(refusals.size(), handoverLines + (refused ? 1 : 0));
        handoverLines = refusals.size();
        if (!item.refusal.empty()) {
            EXPECT_EQ(refusals.back()["problem"], item.refusal);
        }
        const auto restore = logRecords("restore");
        ASSERT_FALSE(restore.empty());
        EXPECT_EQ(restore.back()["reason"], "start");
        EXPECT_EQ(restore.back()["fans"], nlohmann::json(item.restored));
        const bool kept = item.restored.size() == 1;
        EXPECT_EQ(machine.device->value("F1Md"), kept ? 1 : 0);
        EXPECT_EQ(daemon->fanOwners().size(), kept ? 1u : 0u);
        if (kept) {
            EXPECT_EQ(nlohmann::json::parse(daemon->handover())["owners"],
                      nlohmann::json::parse(item.handover())["owners"]);
        }
        daemon.reset();
    }
}

TEST_F(HelperLifeCycle, SignalReturnsForcedFansStopsListeningAndExitsZero)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        makeDaemon();
        ASSERT_TRUE(send(fanMode, {1, 1}));
        ASSERT_TRUE(fs::exists(HelperPaths::socket(HelperTest::label)));
        daemon->terminate(signal);
        EXPECT_TRUE(bothAutomatic());
        EXPECT_FALSE(daemon->isListening());
        EXPECT_FALSE(fs::exists(HelperPaths::socket(HelperTest::label)));
        const auto request = daemon->waitForExit(0);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->kind, HelperDaemon::ExitRequest::Kind::exit);
        EXPECT_EQ(request->status, 0);
        const auto restore = logRecords("restore");
        ASSERT_FALSE(restore.empty());
        EXPECT_EQ(restore.back()["reason"], HelperDaemon::signalName(signal));
        EXPECT_EQ(restore.back()["fans"], nlohmann::json::array({1}));
        daemon.reset();
    }
    EXPECT_EQ(HelperDaemon::signalName(SIGHUP), "SIGHUP");
}

TEST_F(HelperLifeCycle, UninstallSetsEveryFanAutomaticRemovesItsFilesAndExits)
{
    writeFile(HelperPaths::installedProgram(HelperTest::label), "program", fs::perms(0544));
    writeFile(HelperPaths::jobFile(HelperTest::label), "{}");
    writeFile(HelperPaths::pidFile(HelperTest::label), "123\n");
    makeDaemon();
    ASSERT_TRUE(fs::exists(HelperPaths::socket(HelperTest::label)));
    ASSERT_TRUE(send(fanMode, {0, 1}));

    EXPECT_TRUE(send("uninstall"));
    EXPECT_TRUE(bothAutomatic());
    for (const auto& path : {HelperPaths::installedProgram(HelperTest::label), HelperPaths::jobFile(HelperTest::label),
                             HelperPaths::pidFile(HelperTest::label), HelperPaths::socket(HelperTest::label)})
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_FALSE(daemon->isListening());
    const auto request = daemon->exitRequest();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, HelperDaemon::ExitRequest::Kind::exit);
    EXPECT_EQ(request->status, 0);

    const auto records = logRecords();
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[records.size() - 3]["sel"], "uninstall");
    EXPECT_EQ(records[records.size() - 2]["event"], "restore");
    EXPECT_EQ(records[records.size() - 2]["reason"], "uninstall");
    EXPECT_EQ(records[records.size() - 2]["fans"], nlohmann::json::array({0, 1}));
    EXPECT_EQ(records.back()["event"], "uninstalled");
    EXPECT_EQ(records.back()["problem"], nullptr);
}

TEST_F(HelperLifeCycle, UpdateRunsOnlyTheInstalledProgramWhenItDiffersFromTheRunningOne)
{
    const auto installed = HelperPaths::installedProgram(HelperTest::label);
    const auto running = root.path() / "running";
    writeFile(running, "old daemon", fs::perms(0755));
    // What the application carries is never used.
    writeFile(root.path() / "Applications/Aerlo.app/Contents/Library/LaunchServices" / HelperTest::label, "app copy",
              fs::perms(0755));

    Aerlo::HelperDaemon::Options options;
    options.version = "2.4.0";
    options.configuration = HelperConfiguration::developmentRun(::getuid());
    options.smcRegistry = machine.registry;
    options.clock = &machine.clock;
    options.runningImage = running;
    daemon = std::make_unique<HelperDaemon>(options);
    ASSERT_TRUE(daemon->start());

    const struct {
        std::string contents; // empty: no installed program
        fs::perms permissions;
        const char* action;
        const char* reason;
    } cases[] = {
        {"", fs::perms(0544), "none", "the installed program cannot be read"},
        {"old daemon", fs::perms(0544), "none", "the installed program is the running one"},
        {"new daemon", fs::perms(0566), "none", "the installed program may be written by another user"},
        {"new daemon", fs::perms(0544), "re-exec", nullptr},
    };
    for (const auto& item : cases) {
        fs::remove(installed);
        if (!item.contents.empty())
            writeFile(installed, item.contents, item.permissions);
        EXPECT_TRUE(send("update"));
        const auto update = logRecords("update").back();
        EXPECT_EQ(update["action"], item.action) << item.contents;
        if (item.reason) {
            EXPECT_EQ(update["reason"], item.reason);
            EXPECT_EQ(daemon->exitRequest(), std::nullopt);
        }
    }
    const auto request = daemon->exitRequest();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, HelperDaemon::ExitRequest::Kind::reexec);
    EXPECT_EQ(request->program, installed);
    EXPECT_TRUE(daemon->isListening()); // the program stops it right before it runs the new one

    // A failed re-execution serves on.
    daemon->stop();
    EXPECT_TRUE(daemon->resume());
    EXPECT_TRUE(daemon->isListening());
    EXPECT_EQ(daemon->exitRequest(), std::nullopt);
}

TEST(HelperConfigurationTest, ReadsTheJobFile)
{
    TempRoot root;
    const auto job = HelperPaths::jobFile(HelperTest::label);

    auto development = HelperConfiguration::load(job);
    ASSERT_TRUE(development);
    EXPECT_TRUE(development->development);
    EXPECT_EQ(development->allowedClientUIDs, std::vector<uid_t> {::getuid()});

    const auto client = root.path() / "Applications/Aerlo.app/Contents/MacOS/Aerlo";
    writeFile(client, "client", fs::perms(0755));
    nlohmann::ordered_json json = {
        {"Label", HelperTest::label},
        {"Program", HelperPaths::installedProgram(HelperTest::label).string()},
        {"Domain", "user"},
        {"SocketPath", HelperPaths::socket(HelperTest::label).string()},
        {"AllowedClientPath", (root.path() / "Applications/Aerlo.app/Contents/MacOS/../MacOS/Aerlo").string()},
        {"AllowedClientUIDs", {501, 0}},
        {"AllowedClientSHA256", std::string(64, 'a')},
        {"EnvironmentVariables", nlohmann::ordered_json::object()},
        {"StandardOutPath", "/dev/null"},
        {"StandardErrorPath", "/dev/null"},
    };
    writeFile(job, json.dump());
    auto installed = HelperConfiguration::load(job);
    ASSERT_TRUE(installed) << installed.error();
    EXPECT_FALSE(installed->development);
    EXPECT_EQ(installed->allowedClientUIDs, (std::vector<uid_t> {501, 0}));
    EXPECT_EQ(installed->allowedClientPath, fs::canonical(client));
    EXPECT_EQ(installed->allowedClientSHA256, std::string(64, 'a'));

    const struct {
        std::string contents;
        std::string problem;
    } broken[] = {
        {"not json", "The job file " + job.string() + " holds no valid job."},
        {"{\"Label\": 1}", "The job file " + job.string() + " holds no valid job."},
    };
    for (const auto& item : broken) {
        writeFile(job, item.contents);
        const auto loaded = HelperConfiguration::load(job);
        EXPECT_FALSE(loaded) << item.contents;
        EXPECT_EQ(loaded.error(), item.problem);
    }
}

TEST(HelperLogTest, TimestampsAreUTCWithMilliseconds)
{
    EXPECT_EQ(Aerlo::HelperLog::timestamp(1735689600.0), "2025-01-01T00:00:00.000Z");
    EXPECT_EQ(Aerlo::HelperLog::timestamp(1735689599.9996), "2025-01-01T00:00:00.000Z");
    EXPECT_EQ(Aerlo::HelperLog::timestamp(951782400.25), "2000-02-29T00:00:00.250Z");
    EXPECT_EQ(Aerlo::HelperLog::timestamp(-0.5), "1969-12-31T23:59:59.500Z");
}

} // namespace
