#include "Tools/smcsim/SimulatedMachine.h"
#include "Tools/smcsim/SmcsimTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Aerlo::SimulatedMachine;
using Aerlo::SmcsimTool;

TEST(SmcsimTool, ControlRequestsFromTheCommandLine)
{
    const struct {
        std::vector<std::string> words;
        const char* request;
    } good[] = {
        {{"load", "0.8"}, R"({"command":"load","value":0.8})"},
        {{"load", "0"}, R"({"command":"load","value":0.0})"},
        {{"advance", "5"}, R"({"command":"advance","seconds":5.0})"},
        {{"advance", "0.25"}, R"({"command":"advance","seconds":0.25})"},
        {{"fault", "read-error:TC0P", "on"}, R"({"command":"fault","name":"read-error:TC0P","on":true})"},
        {{"fault", "open-denied", "off"}, R"({"command":"fault","name":"open-denied","on":false})"},
        {{"power", "battery"}, R"({"command":"power","source":"battery"})"},
        {{"power", "ac"}, R"({"command":"power","source":"ac"})"},
        {{"snapshot"}, R"({"command":"snapshot"})"},
        {{"stop"}, R"({"command":"stop"})"},
    };
    for (const auto& item : good) {
        const auto request = SmcsimTool::controlRequest(item.words);
        ASSERT_TRUE(request) << request.error();
        EXPECT_EQ(*request, item.request);
    }

    const struct {
        std::vector<std::string> words;
        const char* error;
    } bad[] = {
        {{}, "ctl needs a command"},
        {{"load", "nan"}, "ctl load: \"nan\" is not a number from 0 to 1"},
        {{"load", "inf"}, "ctl load: \"inf\" is not a number from 0 to 1"},
        {{"load", "-0.1"}, "ctl load: \"-0.1\" is not a number from 0 to 1"},
        {{"load", "1.01"}, "ctl load: \"1.01\" is not a number from 0 to 1"},
        {{"load", "0,5"}, "ctl load: \"0,5\" is not a number from 0 to 1"},
        {{"load", ""}, "ctl load: \"\" is not a number from 0 to 1"},
        {{"load"}, "ctl load: expected 1 argument"},
        {{"advance", "-5"}, "ctl advance: \"-5\" is not a number of seconds from 0 to 86400"},
        {{"advance", "1e300"}, "ctl advance: \"1e300\" is not a number of seconds from 0 to 86400"},
        {{"advance", "5s"}, "ctl advance: \"5s\" is not a number of seconds from 0 to 86400"},
        {{"fault", "read-error", "maybe"}, "ctl fault: expected on or off, not \"maybe\""},
        {{"fault", "read-error"}, "ctl fault: expected 2 arguments"},
        {{"power", "mains"}, "ctl power: expected battery or ac, not \"mains\""},
        {{"power"}, "ctl power: expected 1 argument"},
        {{"snapshot", "now"}, "ctl snapshot: expected 0 arguments"},
        {{"reboot"}, "ctl: unknown command \"reboot\""},
    };
    for (const auto& item : bad) {
        const auto request = SmcsimTool::controlRequest(item.words);
        EXPECT_FALSE(request);
        EXPECT_EQ(request.error(), item.error);
    }
}

TEST(SmcsimTool, ServeOptions)
{
    TempRoot root;
    ::unsetenv("AERLO_MACHINE");
    auto options = SmcsimTool::parseServe({});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->profile, SMCSim::MachineProfile::defaultName);
    EXPECT_EQ(options->socket, root.path() / "var/run/smcsim.sock");
    EXPECT_FALSE(options->manualClock);

    options = SmcsimTool::parseServe({"--profile", "intel-mbp-2fan", "--overlay", "policy-b", "--overlay",
                                      "no-keycount", "--socket", "/tmp/s.sock", "--manual-clock"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->profile, "intel-mbp-2fan");
    EXPECT_EQ(options->overlays, (std::vector<std::string> {"policy-b", "no-keycount"}));
    EXPECT_EQ(options->socket, "/tmp/s.sock");
    EXPECT_TRUE(options->manualClock);

    EXPECT_EQ(SmcsimTool::parseServe({"--profile"}).error(), "--profile needs a value");
    EXPECT_EQ(SmcsimTool::parseServe({"--fast"}).error(), "unknown argument \"--fast\"");
}

nlohmann::json reply(SimulatedMachine& machine, const std::string& request)
{
    return nlohmann::json::parse(machine.control(request).text);
}

TEST(SimulatedMachine, ControlRefusesWhatItCannotDo)
{
    SimulatedMachine manual(SmcsimTest::profile(SmcsimTest::appleSiliconProfile), true);
    SimulatedMachine real(SmcsimTest::profile(SmcsimTest::appleSiliconProfile), false);
    ConsoleCapture console;
    const struct {
        SimulatedMachine* machine;
        const char* request;
        const char* error;
    } cases[] = {
        {&manual, "not json", "expected a JSON object"},
        {&manual, "[1]", "expected a JSON object"},
        {&manual, R"({"verb":"load"})", "expected a \"command\""},
        {&manual, R"({"command":"dance"})", "unknown command \"dance\""},
        {&manual, R"({"command":"load","value":"high"})", "load must be a number from 0 to 1"},
        {&manual, R"({"command":"load","value":1e300})", "load must be a number from 0 to 1"},
        {&manual, R"({"command":"load","value":-1})", "load must be a number from 0 to 1"},
        {&manual, R"({"command":"advance","seconds":-1})", "seconds must be a number from 0 to 86400"},
        {&manual, R"({"command":"advance","seconds":100000})", "seconds must be a number from 0 to 86400"},
        {&manual, R"({"command":"advance"})", "seconds must be a number from 0 to 86400"},
        {&real, R"({"command":"advance","seconds":1})", "the clock is not manual (start smcsim with --manual-clock)"},
        {&manual, R"({"command":"fault","name":"gremlins","on":true})", "unknown fault \"gremlins\""},
        {&manual, R"({"command":"fault","name":"read-error:TC0","on":true})",
         "\"read-error:TC0\": expected a four-character key after \":\""},
        {&manual, R"({"command":"fault","name":"index-error:x","on":true})",
         "\"index-error:x\": expected an index after \":\""},
        {&manual, R"({"command":"fault","name":"read-error","on":"yes"})",
         "expected a fault \"name\" and \"on\" true or false"},
    };
    for (const auto& item : cases) {
        const auto answer = reply(*item.machine, item.request);
        EXPECT_EQ(answer, (nlohmann::json {{"ok", false}, {"error", item.error}})) << item.request;
    }
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"smcsim: load 1e+300 refused: expected a number from 0 to 1",
                                                          "smcsim: load -1 refused: expected a number from 0 to 1"}));
    EXPECT_EQ(manual.device()->now(), 0) << "nothing moved the clock";
    EXPECT_EQ(manual.model()->load(), manual.model()->parameters().load);
}

TEST(SimulatedMachine, FaultsSwitchTheDeviceAndComeBackOff)
{
    SimulatedMachine machine(SmcsimTest::profile(SmcsimTest::appleSiliconProfile), true);
    SMCSim::SimSmcDevice& device = *machine.device();
    std::uint32_t connection = 0;
    ASSERT_EQ(device.open(0, true, connection), IOKit::kIOReturnSuccess);
    auto read = [&](const char* key) {
        IOKit::SMCRecord input {};
        IOKit::SMCRecord output {};
        for (int i = 0; i < 4; ++i)
            input[i] = static_cast<std::uint8_t>(key[3 - i]);
        input[42] = SMCSim::SimSmcDevice::kCommandReadBytes;
        input[28] = 4;
        return device.call(connection, IOKit::kSMCUserClientSelector, input, output);
    };

    EXPECT_EQ(reply(machine, R"({"command":"fault","name":"read-error:Tp01","on":true})")["ok"], true);
    EXPECT_EQ(read("Tp01"), IOKit::kIOReturnIOError);
    EXPECT_EQ(read("Tp05"), IOKit::kIOReturnSuccess);
    EXPECT_EQ(reply(machine, R"({"command":"fault","name":"open-denied","on":true})")["ok"], true);
    std::uint32_t denied = 0;
    EXPECT_EQ(device.open(0, false, denied), IOKit::kIOReturnNotPrivileged);
    EXPECT_EQ(machine.activeFaults(), (std::vector<std::string> {"open-denied", "read-error:Tp01"}));

    EXPECT_EQ(reply(machine, R"({"command":"fault","name":"read-error:Tp01","on":false})")["ok"], true);
    EXPECT_EQ(reply(machine, R"({"command":"fault","name":"open-denied","on":false})")["ok"], true);
    EXPECT_EQ(read("Tp01"), IOKit::kIOReturnSuccess);
    EXPECT_EQ(device.open(0, false, denied), IOKit::kIOReturnSuccess);
    EXPECT_TRUE(machine.activeFaults().empty());
    for (const std::string& name : SimulatedMachine::faultNames()) {
        EXPECT_TRUE(machine.setFault(name, true)) << name;
        EXPECT_TRUE(machine.setFault(name, false)) << name;
    }
    EXPECT_EQ(read("Tp01"), IOKit::kIOReturnSuccess);
}

TEST(SimulatedMachine, SnapshotShowsFansTemperaturesLoadAndClock)
{
    SimulatedMachine machine(SmcsimTest::profile(SmcsimTest::intelProfile), true);
    ASSERT_TRUE(machine.setLoad(0.5));
    ASSERT_TRUE(machine.advance(2.5));
    EXPECT_TRUE(machine.device()->setValue("FS! ", 2));
    ASSERT_TRUE(machine.setFault("strict-writes", true));

    const auto text = machine.control(R"({"command":"snapshot"})").text;
    const auto answer = nlohmann::ordered_json::parse(text);
    ASSERT_EQ(answer["ok"], true);
    const auto& snapshot = answer["snapshot"];
    std::vector<std::string> fields;
    for (const auto& [field, value] : snapshot.items())
        fields.push_back(field);
    EXPECT_EQ(fields,
              (std::vector<std::string> {"profile", "overlays", "clock", "load", "airflow", "fans", "temperatures",
                                         "power", "source", "currents", "faults", "connections"}));
    EXPECT_EQ(snapshot["profile"], "test-intel");
    EXPECT_EQ(snapshot["clock"], (nlohmann::ordered_json {{"manual", true}, {"time", 2.5}}));
    EXPECT_EQ(snapshot["load"], 0.5);
    ASSERT_EQ(snapshot["fans"].size(), 2u);
    const auto& fan = snapshot["fans"][1];
    EXPECT_EQ(fan["index"], 1);
    EXPECT_TRUE(fan["mode"].is_null()) << "this machine has no mode keys";
    EXPECT_EQ(fan["forced"], true) << "bit 1 of the mask";
    EXPECT_EQ(snapshot["fans"][0]["forced"], false);
    EXPECT_EQ(fan["min"], 2000);
    EXPECT_EQ(fan["max"], 6000);
    EXPECT_GE(fan["actual"].get<double>(), 2000);
    EXPECT_EQ(snapshot["temperatures"].size(), 5u) << "every numeric T key without a script";
    EXPECT_TRUE(snapshot["temperatures"].contains("TC1C"));
    EXPECT_FALSE(snapshot["temperatures"].contains("TS0P"));
    EXPECT_TRUE(snapshot["power"].contains("PSTR"));
    EXPECT_EQ(snapshot["faults"], nlohmann::ordered_json::array({"strict-writes"}));

    const auto stop = machine.control(R"({"command":"stop"})");
    EXPECT_TRUE(stop.stop);
    EXPECT_EQ(stop.text, R"({"ok":true})");
}

} // namespace
