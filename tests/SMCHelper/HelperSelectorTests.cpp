#include "tests/SMC/PluggedTransport.h"
#include "tests/SMCHelper/HelperTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace {

using HelperTest::HelperFixture;
using HelperTest::loggedMessages;
using HelperTest::logRecords;
using XPC::Message;

constexpr const char* fanMode = "setFanModeWithId:mode:completion:";
constexpr const char* fanSpeed = "setFanSpeedWithId:value:completion:";

class HelperSelectors : public HelperFixture {
protected:
    void SetUp() override { makeDaemon(); }
};

TEST_F(HelperSelectors, VersionRepliesTheVersionAndEveryMessageIsLoggedInOrder)
{
    EXPECT_TRUE(send("versionWithCompletion:"));
    EXPECT_TRUE(send("setSMCPath:", {"/Applications/Aerlo.app/Contents/Resources/SMC"}));
    EXPECT_TRUE(send(fanMode, {1, 0}));
    ASSERT_EQ(peer.replies.size(), 2u);
    EXPECT_EQ(peer.replies[0].id, 1u);
    EXPECT_EQ(peer.replies[0].reply, "2.4.0");
    EXPECT_EQ(peer.replies[1].id, 3u);
    EXPECT_EQ(peer.replies[1].reply, "");

    EXPECT_EQ(loggedMessages(), (std::vector<std::string> {
                                    "versionWithCompletion: []",
                                    "setSMCPath: [\"/Applications/Aerlo.app/Contents/Resources/SMC\"]",
                                    std::string(fanMode) + " [1,0]",
                                }));
    // Keys in a fixed order; times from the daemon's clock.
    const auto lines = HelperTest::logLines();
    ASSERT_EQ(lines.size(), 7u); // start, development, then three messages and two replies
    const auto message = nlohmann::ordered_json::parse(lines[2]);
    std::vector<std::string> keys;
    for (const auto& item : message.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string> {"time", "event", "pid", "uid", "id", "sel", "args"}));
    EXPECT_EQ(message["time"], "2025-01-01T00:00:00.000Z");
    EXPECT_EQ(message["pid"], ::getpid());
    const auto records = logRecords();
    EXPECT_EQ(records.back()["event"], "reply");
    EXPECT_EQ(records.back()["reply"], "");
}

TEST_F(HelperSelectors, RefusesFanIdsModesAndSpeedsOutsideTheMachineWithoutWriting)
{
    const struct {
        const char* sel;
        Message args;
        const char* reply;
    } cases[] = {
        {fanMode, {5, 1}, "invalid fan id 5: the machine has 2 fans"},
        {fanMode, {2, 0}, "invalid fan id 2: the machine has 2 fans"},
        {fanMode, {-1, 0}, "invalid fan id -1: fans are numbered 0 to 9"},
        {fanSpeed, {10, 2000}, "invalid fan id 10: fans are numbered 0 to 9"},
        {fanMode, {0, 3}, "invalid fan mode 3: 0 is automatic, 1 forced"},
        {fanMode, {0, -1}, "invalid fan mode -1: 0 is automatic, 1 forced"},
        {fanSpeed, {0, -1}, "invalid fan speed -1: below 0"},
        {fanSpeed, {1, INT64_MIN}, "invalid fan speed -9223372036854775808: below 0"},
    };
    for (const auto& item : cases) {
        EXPECT_TRUE(send(item.sel, item.args)) << item.args.dump();
        EXPECT_EQ(lastReply(), item.reply);
    }
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});
    EXPECT_EQ(machine.device->value("F0Md"), 0);
    EXPECT_EQ(machine.device->value("F1Md"), 0);
}

TEST_F(HelperSelectors, SpeedsAreClampedToTheFansRealRange)
{
    const struct {
        std::int64_t rpm;
        const char* reply;
        double target;
    } cases[] = {
        {3000, "", 3000}, {9000, "clamped to 5779", 5779},      {0, "clamped to 1200", 1200},
        {5779, "", 5779}, {INT64_MAX, "clamped to 5779", 5779},
    };
    for (const auto& item : cases) {
        EXPECT_TRUE(send(fanSpeed, {0, item.rpm}));
        EXPECT_EQ(lastReply(), item.reply) << item.rpm;
        EXPECT_EQ(machine.device->value("F0Tg"), item.target) << item.rpm;
    }
}

TEST_F(HelperSelectors, UnreadableRangeRefusesSpeedsAndForcing)
{
    EXPECT_TRUE(machine.device->removeKey("F0Mx"));
    machine.device->resetLog();
    EXPECT_TRUE(send(fanSpeed, {0, 2000}));
    EXPECT_EQ(lastReply(), "the maximum speed of fan 0 cannot be read");
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_EQ(lastReply(), "the maximum speed of fan 0 cannot be read");
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});

    // A minimum of 0 reads as absent: never taken as the fan's minimum.
    EXPECT_TRUE(machine.device->setValue("F1Mn", 0));
    EXPECT_TRUE(send(fanSpeed, {1, 0}));
    EXPECT_EQ(lastReply(), "the minimum speed of fan 1 cannot be read");
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});

    // Fan 1 can still be set automatic.
    EXPECT_TRUE(send(fanMode, {1, 0}));
    EXPECT_EQ(lastReply(), "");
}

TEST_F(HelperSelectors, SwitchToForcedSetsTheTargetToTheCurrentSpeedFirst)
{
    const struct {
        double actual;
        double target;
    } cases[] = {
        {1206, 1206}, // the current speed
        {800, 1200}, // below the minimum
        {0, 1200}, // a fan standing still
        {9000, 5779}, // above the maximum
    };
    for (const auto& item : cases) {
        ASSERT_TRUE(send(fanMode, {0, 0}));
        EXPECT_TRUE(machine.device->setValue("F0Tg", 0));
        EXPECT_TRUE(machine.device->setValue("F0Ac", item.actual));
        machine.device->resetLog();
        EXPECT_TRUE(send(fanMode, {0, 1}));
        EXPECT_EQ(lastReply(), "");
        EXPECT_EQ(machine.device->value("F0Tg"), item.target) << item.actual;
        EXPECT_EQ(machine.device->value("F0Md"), 1);
        const auto written = machine.writtenKeys();
        ASSERT_GE(written.size(), 2u);
        EXPECT_EQ(written[0], "F0Tg") << item.actual;
        EXPECT_EQ(written[1], "F0Md") << item.actual;
    }

    // Already forced: the target the client set stays.
    ASSERT_TRUE(send(fanSpeed, {0, 4000}));
    machine.device->resetLog();
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_EQ(lastReply(), "");
    EXPECT_EQ(machine.device->value("F0Tg"), 4000);
    const auto written = machine.writtenKeys();
    EXPECT_EQ(std::count(written.begin(), written.end(), "F0Tg"), 0);
    EXPECT_EQ(std::count(written.begin(), written.end(), "F0Md"), 1);

    EXPECT_TRUE(send(fanMode, {0, 0}));
    EXPECT_EQ(lastReply(), "");
    EXPECT_EQ(machine.device->value("F0Md"), 0);
}

TEST_F(HelperSelectors, FailedWritesAreReported)
{
    machine.device->addFault(
        {SMCSim::SimSmcDevice::kCommandWriteBytes, std::string("F0Md"), std::nullopt, IOKit::kIOReturnError, -1});
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_EQ(lastReply(), "fan 0 could not be forced");
    machine.device->clearFaults();
    machine.device->addFault(
        {SMCSim::SimSmcDevice::kCommandWriteBytes, std::string("F1Tg"), std::nullopt, IOKit::kIOReturnError, -1});
    EXPECT_TRUE(send(fanMode, {1, 1}));
    EXPECT_EQ(lastReply(), "the target speed of fan 1 could not be written");
    EXPECT_EQ(machine.device->value("F1Md"), 0); // never forced at a stale target
    EXPECT_TRUE(send(fanSpeed, {1, 3000}));
    EXPECT_EQ(lastReply(), "the target speed of fan 1 could not be written");

    // A fan that cannot be set back is reported, and a restore does not count it.
    machine.device->clearFaults();
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_EQ(lastReply(), "");
    machine.device->addFault(
        {SMCSim::SimSmcDevice::kCommandWriteBytes, std::string("F0Md"), std::nullopt, IOKit::kIOReturnError, -1});
    EXPECT_TRUE(send(fanMode, {0, 0}));
    EXPECT_EQ(lastReply(), "fan 0 could not be set to automatic");
    Aerlo::FanWriter writer(machine.registry);
    EXPECT_EQ(writer.restoreAutomatic(true), std::vector<int> {1});
}

TEST_F(HelperSelectors, WrongArgumentsAndUnknownSelectorsCloseTheConnection)
{
    const struct {
        const char* sel;
        Message args;
    } cases[] = {
        {fanMode, {0}},
        {fanMode, {0, 1, 2}},
        {fanMode, {0, 1.0}},
        {fanSpeed, {"0", 2000}},
        {fanSpeed, {0, nullptr}},
        {fanSpeed, {0, static_cast<std::uint64_t>(INT64_MAX) + 1}},
        {"versionWithCompletion:", {1}},
        {"setSMCPath:", Message::array()},
        {"setSMCPath:", {42}},
        {"uninstall", {true}},
        {"update", {"now"}},
        {"setFanMode:", {0, 1}},
    };
    for (const auto& item : cases)
        EXPECT_FALSE(send(item.sel, item.args)) << item.sel << " " << item.args.dump();
    EXPECT_EQ(peer.replies.size(), 0u);
    EXPECT_EQ(machine.writtenKeys(), std::vector<std::string> {});
    const auto refused = logRecords("refused");
    ASSERT_EQ(refused.size(), std::size(cases));
    EXPECT_EQ(refused[0]["reason"], std::string("wrong arguments for ") + fanMode);
    EXPECT_EQ(refused.back()["reason"], "unknown selector");
    EXPECT_EQ(refused.back()["sel"], "setFanMode:");
    EXPECT_EQ(daemon->exitRequest(), std::nullopt);
}

TEST_F(HelperSelectors, SMCPathIsCheckedAndLoggedButNeverOpenedOrRun)
{
    // A program that leaves a mark when anybody runs it.
    const auto mark = root.path() / "ran";
    const auto program = root.path() / "SMC";
    std::ofstream(program) << "#!/bin/sh\ntouch '" << mark.string() << "'\n";
    ::chmod(program.c_str(), 0755);

    EXPECT_TRUE(send("setSMCPath:", {program.string()}));
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_TRUE(send("update"));
    EXPECT_TRUE(send("versionWithCompletion:"));
    EXPECT_FALSE(std::filesystem::exists(mark));
    EXPECT_EQ(peer.replies.size(), 2u); // no reply to setSMCPath:

    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {"SMC", "the SMC path is not absolute"},
        {"", "the SMC path is not absolute"},
        {std::string("/tmp/\0x", 7), "the SMC path holds a NUL byte"},
        {"/" + std::string(4096, 'a'), "the SMC path is longer than 4096 bytes"},
    };
    for (const auto& item : cases) {
        EXPECT_TRUE(send("setSMCPath:", {item.path})); // the connection stays
        EXPECT_EQ(logRecords("refused").back()["reason"], item.reason);
    }
    EXPECT_TRUE(Aerlo::HelperDaemon::checkSMCPath("/" + std::string(4095, 'a')));
    EXPECT_EQ(Aerlo::HelperDaemon::checkSMCPath("/a\xff").error(), "the SMC path is not UTF-8");
}

class IntelHelperSelectors : public HelperFixture {
protected:
    IntelHelperSelectors() : HelperFixture("mbp-intel-2fan") {}
    void SetUp() override { makeDaemon(); }
};

TEST_F(IntelHelperSelectors, ForcingUsesTheMaskAfterTheTarget)
{
    EXPECT_TRUE(send(fanMode, {1, 1}));
    EXPECT_EQ(lastReply(), "");
    EXPECT_EQ(machine.device->value("FS! "), 2);
    EXPECT_EQ(machine.device->value("F1Tg"), 2002); // its current speed
    const auto written = machine.writtenKeys();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.front(), "F1Tg");
    EXPECT_EQ(written.back(), "FS! ");

    // The real machine's ranges: 2160-6156 and 2000-5700 rpm.
    EXPECT_TRUE(send(fanSpeed, {1, 7000}));
    EXPECT_EQ(lastReply(), "clamped to 5700");
    EXPECT_EQ(machine.device->value("F1Tg"), 5700);
    EXPECT_TRUE(send(fanSpeed, {1, 100}));
    EXPECT_EQ(lastReply(), "clamped to 2000");
    EXPECT_EQ(machine.device->value("F1Tg"), 2000);
    EXPECT_TRUE(send(fanMode, {0, 1}));
    EXPECT_TRUE(send(fanSpeed, {0, 9000}));
    EXPECT_EQ(lastReply(), "clamped to 6156");
    EXPECT_EQ(machine.device->value("F0Tg"), 6156);
    EXPECT_TRUE(send(fanMode, {0, 0}));
    EXPECT_TRUE(send(fanMode, {1, 0}));
    EXPECT_EQ(machine.device->value("FS! "), 0);
}

TEST(HelperFanCount, OneFanAndNoFanMachines)
{
    const struct {
        const char* profile;
        std::int64_t id;
        const char* reply;
    } cases[] = {
        {"mini-m2-1fan", 1, "invalid fan id 1: the machine has 1 fan"},
        {"mba-m1-nofan", 0, "invalid fan id 0: the machine has no fans"},
        {"mbp-m1pro-2fan+no-keycount", 3, "invalid fan id 3: the machine has 2 fans"},
    };
    for (const auto& item : cases) {
        SimMachine machine(item.profile);
        Aerlo::FanWriter writer(machine.registry);
        EXPECT_EQ(writer.setMode(item.id, 1).error(), item.reply) << item.profile;
    }
    SimMachine missing(smcTable({smcKey("F0Mx", "flt ")}));
    Aerlo::FanWriter writer(missing.registry);
    EXPECT_EQ(writer.setSpeed(0, 1000).error(), "invalid fan id 0: the fan count cannot be read");

    // With the SMC gone, the reply blames the SMC, not the fan.
    SimMachine machine("mbp-m1pro-2fan");
    auto plug = std::make_shared<PluggedTransport>(machine.device, true);
    Aerlo::FanWriter plugged(PluggedTransport::registryWith(plug));
    EXPECT_TRUE(plugged.setMode(0, 1));
    plug->pulled = true;
    const std::string gone = "the SMC cannot be read: " + Aerlo::SMC::errorText(IOKit::kIOReturnNoDevice);
    EXPECT_EQ(plugged.setMode(0, 0).error(), gone);
    EXPECT_EQ(plugged.setSpeed(1, 2000).error(), gone);
    plug->pulled = false;
    EXPECT_TRUE(plugged.setMode(0, 0));
}

} // namespace
