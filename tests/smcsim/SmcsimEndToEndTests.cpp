#include "Classes/Sensors/SMC.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Aerlo::FanMode;
using SmcsimTest::ChildProcess;
using SmcsimTest::runProgram;
using SmcsimTest::smcsimPath;

// The smcsim program serving a profile on a temporary root, driven as a user would.
class SmcsimEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("AERLO_SMC", "smcsim", 1); // the root's simulator, even on a real Mac
        profileFile = root.path() / "machine.json";
        std::ofstream(profileFile) << SmcsimTest::appleSiliconProfile;
        environment = {"AERLO_ROOT=" + root.path().string()};
    }

    std::unique_ptr<ChildProcess> start(std::vector<std::string> extra = {"--manual-clock"})
    {
        std::vector<std::string> arguments {smcsimPath(), "--profile", profileFile.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto child = std::make_unique<ChildProcess>(arguments, environment);
        EXPECT_TRUE(child->started());
        const std::string ready = child->readLine();
        EXPECT_EQ(ready, "smcsim: serving " + profileFile.string() + (extra.empty() ? "" : " (manual clock)") + " on "
                             + socket.string());
        return child;
    }

    SmcsimTest::RunResult ctl(std::vector<std::string> words)
    {
        words.insert(words.begin(), {smcsimPath(), "ctl"});
        return runProgram(words, environment);
    }

    TempRoot root;
    std::filesystem::path profileFile;
    std::filesystem::path socket = IOKit::SocketSmcProtocol::defaultSocketPath();
    std::vector<std::string> environment;
};

TEST_F(SmcsimEndToEnd, ForcedFanSeenByTheAppAndTemperaturesFallUnderLoad)
{
    auto simulator = start();

    // The app reads over the default endpoint; the daemon writes over a privileged connection.
    Aerlo::SMC app(IOKit::SMCEndpoint::makeRegistry(IOKit::SMCEndpoint::specFromEnvironment(), false));
    Aerlo::SMC daemon(IOKit::SMCEndpoint::makeRegistry("socket:" + socket.string(), true));
    ASSERT_NE(app.conn, 0u);
    ASSERT_NE(daemon.conn, 0u);

    EXPECT_EQ(ctl({"load", "0.9"}).status, 0);
    EXPECT_EQ(ctl({"advance", "600"}).status, 0);
    const double automatic = app.getValue("F0Ac").value_or(0);
    const double hot = app.getValue("Tp05").value_or(0);
    EXPECT_GE(automatic, 1200);
    EXPECT_LT(automatic, 5800);
    EXPECT_GT(hot, 60);

    {
        ConsoleCapture console;
        app.setFanSpeed(0, 5800);
        EXPECT_EQ(console.output(), "写入时出错: (iokit/common) privilege violation\n");
    }
    ConsoleCapture console;
    for (int fan : {0, 1}) {
        daemon.setFanMode(fan, FanMode::forced);
        daemon.setFanSpeed(fan, 5800);
    }
    EXPECT_EQ(console.output(), "");
    EXPECT_EQ(app.getValue("F0Md"), 1);

    EXPECT_EQ(ctl({"advance", "1"}).status, 0);
    const double rising = app.getValue("F0Ac").value_or(0);
    EXPECT_GT(rising, automatic);
    EXPECT_LT(rising, 5800);
    EXPECT_EQ(ctl({"advance", "14"}).status, 0);
    EXPECT_EQ(app.getValue("F0Ac"), 5800);
    EXPECT_EQ(app.getValue("F1Ac"), 5800);

    EXPECT_EQ(ctl({"advance", "45"}).status, 0);
    const double cooled = app.getValue("Tp05").value_or(1000);
    EXPECT_LT(cooled, hot - 3);

    const auto snapshot = ctl({"snapshot"});
    ASSERT_EQ(snapshot.status, 0);
    const auto state = nlohmann::json::parse(snapshot.output, nullptr, false);
    ASSERT_FALSE(state.is_discarded()) << snapshot.output;
    EXPECT_EQ(state["clock"]["time"], 660);
    EXPECT_EQ(state["load"], 0.9);
    EXPECT_EQ(state["fans"][0]["forced"], true);
    EXPECT_EQ(state["fans"][0]["mode"], 1);
    EXPECT_EQ(state["fans"][0]["target"], 5800);
    EXPECT_EQ(state["fans"][0]["actual"], 5800);
    EXPECT_EQ(state["connections"], 2);

    // Fans go back to the system before anyone leaves.
    for (int fan : {0, 1})
        daemon.setFanMode(fan, FanMode::automatic);
    EXPECT_EQ(app.getValue("F0Md"), 0);

    EXPECT_EQ(ctl({"stop"}).status, 0);
    EXPECT_EQ(simulator->readLine(), "smcsim: stopped");
    EXPECT_EQ(simulator->wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(std::filesystem::exists(IOKit::SocketSmcProtocol::tokenPath(socket)));
}

TEST_F(SmcsimEndToEnd, ControlErrorsAreReportedAndChangeNothing)
{
    auto simulator = start();
    const struct {
        std::vector<std::string> words;
        int status;
        const char* output;
    } cases[] = {
        {{"load", "nan"}, 2, "smcsim: ctl load: \"nan\" is not a number from 0 to 1\n"},
        {{"advance", "-1"}, 2, "smcsim: ctl advance: \"-1\" is not a number of seconds from 0 to 86400\n"},
        {{"fault", "gremlins", "on"}, 1, "smcsim: unknown fault \"gremlins\"\n"},
        {{"jump"}, 2, "smcsim: ctl: unknown command \"jump\"\n"},
    };
    for (const auto& item : cases) {
        const auto result = ctl(item.words);
        EXPECT_EQ(result.status, item.status) << item.words[0];
        EXPECT_EQ(result.output, item.output);
    }
    const auto state = nlohmann::json::parse(ctl({"snapshot"}).output, nullptr, false);
    ASSERT_FALSE(state.is_discarded());
    EXPECT_EQ(state["clock"]["time"], 0);
    EXPECT_EQ(state["faults"], nlohmann::json::array());

    ASSERT_EQ(ctl({"fault", "info-error:F0Mx", "on"}).status, 0);
    Aerlo::SMC app(IOKit::SMCEndpoint::makeRegistry("socket:" + socket.string(), false));
    ConsoleCapture console;
    EXPECT_FALSE(app.getValue("F0Mx"));
    EXPECT_EQ(console.output(), "Error read(F0Mx): (iokit/common) general error\n");
}

TEST_F(SmcsimEndToEnd, SigtermStopsCleanly)
{
    for (int number : {SIGTERM, SIGINT}) {
        auto simulator = start({});
        ASSERT_TRUE(std::filesystem::exists(socket));
        simulator->signal(number);
        EXPECT_EQ(simulator->readLine(), "smcsim: stopped");
        EXPECT_EQ(simulator->wait(), 0);
        EXPECT_FALSE(std::filesystem::exists(socket));
        EXPECT_FALSE(std::filesystem::exists(IOKit::SocketSmcProtocol::tokenPath(socket)));
    }
}

TEST_F(SmcsimEndToEnd, NoSimulatorNoProfile)
{
    const auto missing = ctl({"snapshot"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.output, "smcsim: nobody serves " + socket.string() + "\n");

    const auto absent = (root.path() / "absent.json").string();
    const auto bad = runProgram({smcsimPath(), "--profile", absent}, environment);
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.output, "Machine profile " + absent + ": cannot read " + absent + "\n");
    EXPECT_FALSE(std::filesystem::exists(socket));
}

} // namespace
