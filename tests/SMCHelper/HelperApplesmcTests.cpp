// The daemon over the applesmc transport on a real table's fake driver tree: the files each fan mode
// writes, and every restore path leaving "FS! " clear.

#include "Classes/FanControl/FanRuleEvaluator.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "tests/SMCHelper/HelperTestSupport.h"
#include "tests/Support/SMC/FakeApplesmcTree.h"

#include <csignal>
#include <sys/wait.h>

namespace {

using Files = std::vector<std::string>;
constexpr const char* fanMode = "setFanModeWithId:mode:completion:";
constexpr const char* fanSpeed = "setFanSpeedWithId:value:completion:";

// The MacBookPro11,4: "fpe2" fans 2160…6156 (at 2157) and 2000…5700 (at 2002), "FS! ".
class HelperOnApplesmc : public HelperTest::HelperFixture {
protected:
    HelperOnApplesmc() : HelperFixture("mbp-intel-2fan")
    {
        machine.registry = IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(tree, true));
    }

    // The files a run of messages wrote.
    Files writtenBy(const std::vector<std::pair<const char*, XPC::Message>>& messages)
    {
        tree->clearWrites();
        for (const auto& [sel, args] : messages)
            EXPECT_TRUE(send(sel, args));
        return tree->writtenFiles();
    }

    std::shared_ptr<SMCSim::FakeApplesmcTree> tree =
        std::make_shared<SMCSim::FakeApplesmcTree>(loadProfile("mbp-intel-2fan"));
};

} // namespace

TEST_F(HelperOnApplesmc, EachFanModeWritesExactlyItsFiles)
{
    makeDaemon();
    const Files system {"fan1_manual=0", "fan2_manual=0"};
    // Forcing a fan first sets its target to its speed held to its range.
    EXPECT_EQ(writtenBy({{fanMode, {0, 1}}, {fanMode, {1, 1}}, {fanSpeed, {0, 6156}}, {fanSpeed, {1, 5700}}}),
              (Files {"fan1_output=2160", "fan1_manual=1", "fan2_output=2002", "fan2_manual=1", "fan1_output=6156",
                      "fan2_output=5700"}));
    EXPECT_EQ(writtenBy({{fanMode, {0, 0}}, {fanMode, {1, 0}}}), system);

    // Manual: a speed beyond the maximum is held to it before it reaches the driver.
    EXPECT_EQ(writtenBy({{fanMode, {0, 1}}, {fanMode, {1, 1}}, {fanSpeed, {0, 3000}}, {fanSpeed, {1, 9000}}}),
              (Files {"fan1_output=2160", "fan1_manual=1", "fan2_output=2002", "fan2_manual=1", "fan1_output=3000",
                      "fan2_output=5700"}));
    EXPECT_EQ(lastReply(), "clamped to 5700");
    EXPECT_EQ(writtenBy({{fanMode, {0, 0}}, {fanMode, {1, 0}}}), system);

    // Custom: a rule at 50 %, sent as the rule evaluation sends it.
    std::vector<std::pair<const char*, XPC::Message>> custom;
    for (const auto& target : Aerlo::FanRuleEvaluator::targets(50, {2, 2160, 6156, 2000, 5700})) {
        custom.push_back({fanMode, {target.id, 1}});
        custom.push_back({fanSpeed, {target.id, target.speed}});
    }
    EXPECT_EQ(writtenBy(custom), (Files {"fan1_output=2160", "fan1_manual=1", "fan1_output=4158", "fan2_output=2002",
                                         "fan2_manual=1", "fan2_output=3850"}));
    EXPECT_EQ(writtenBy({{fanMode, {0, 0}}, {fanMode, {1, 0}}}), system);
    EXPECT_EQ(tree->value("FS! "), 0);
    EXPECT_EQ(tree->value("F0Mn"), 2160);
}

TEST_F(HelperOnApplesmc, EveryRestorePathLeavesTheMaskClear)
{
    // Forced when the daemon starts (it crashed, or the machine booted with the bits set).
    EXPECT_TRUE(tree->setValue("FS! ", 3));
    makeDaemon();
    EXPECT_EQ(tree->value("FS! "), 0);
    EXPECT_EQ(HelperTest::logRecords("restore").back()["fans"], nlohmann::json::array({0, 1}));

    // The client that forced a fan ends.
    const pid_t child = HelperTest::waitingChild();
    ASSERT_GE(child, 0);
    HelperTest::RecordingPeer other({child, ::getuid(), ::getgid()});
    ASSERT_TRUE(send(other, fanMode, {0, 1}));
    ASSERT_EQ(tree->value("FS! "), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(HelperTest::eventually([&] { return tree->value("FS! ") == 0; }, 1.0));

    // The daemon is stopped.
    ASSERT_TRUE(send(fanMode, {1, 1}));
    ASSERT_EQ(tree->value("FS! "), 2);
    daemon->terminate(SIGTERM);
    EXPECT_EQ(tree->value("FS! "), 0);
}
