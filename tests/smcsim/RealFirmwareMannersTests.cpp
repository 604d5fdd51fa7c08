// The simulated machines built from real tables behave as their firmware does: read-only fan ranges,
// a forced target held within the range, "no sensor" values that stay, a battery current that goes
// negative on battery.
#include "Classes/Sensors/SMC.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Tools/smcsim/SimulatedMachine.h"
#include "tests/Support/ConsoleCapture.h"

#include <bit>
#include <gtest/gtest.h>

using Aerlo::FanMode;

namespace {

// A shipped machine on a manual clock with its thermal model, and a privileged SMC client.
struct RealMachine {
    explicit RealMachine(const char* name)
        : machine(std::make_shared<Aerlo::SimulatedMachine>(*SMCSim::MachineProfile::load(name), true)),
          smc(IOKit::SMCEndpoint::registryForDevice(machine->device(), {}, true))
    {
        machine->device()->resetLog();
    }
    double value(const char* key) { return smc.getValue(key).value_or(std::nan("")); }
    // Through a read, decoded as the device stores it ("si16", which the client does not decode).
    double stored(const char* key)
    {
        Aerlo::SMCVal read;
        read.key = key;
        if (smc.read(read) != 0)
            return std::nan("");
        SMCSim::ValueBytes bytes {};
        std::copy(read.bytes.begin(), read.bytes.end(), bytes.begin());
        return SMCSim::ValueCodec::decode(read.dataType, bytes).value_or(std::nan(""));
    }
    void advance(double seconds)
    {
        const auto advanced = machine->advance(seconds);
        ASSERT_TRUE(advanced) << advanced.error();
    }
    std::array<std::uint8_t, 32> floatBytes(float value)
    {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        return {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
    }

    std::shared_ptr<Aerlo::SimulatedMachine> machine;
    Aerlo::SMC smc;
};

} // namespace

// On T2 machines the firmware owns the range: "F0Mn" and "F0Mx" refuse writes with SMC result 0x86
// and keep their values; the same keys are writable on the older two-fan MacBook Pro.
TEST(RealFirmwareManners, ReadOnlyFanRangeRefusesWrites)
{
    const struct {
        const char* profile;
        bool writable;
        double minimum;
        double maximum;
    } cases[] = {
        {"mba-intel-t2-1fan", false, 2700, 8000},
        {"mini-intel-t2-1fan", false, 1700, 4409},
        {"macpro-intel-4fan", false, 500, 1292},
        {"mbp-intel-2fan", true, 2160, 6156},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        RealMachine m(c.profile);
        EXPECT_EQ(m.value("F0Mn"), c.minimum);
        EXPECT_EQ(m.value("F0Mx"), c.maximum);
        const auto entry = m.machine->device()->entry("F0Mn");
        ASSERT_TRUE(entry);
        std::array<std::uint8_t, 32> bytes {};
        if (entry->type == "flt ")
            bytes = m.floatBytes(1000);
        else
            bytes = {0x0F, 0xA0}; // 1000 in fpe2
        EXPECT_EQ(m.smc.write("F0Mn", entry->size, bytes), 0u); // the kernel call itself succeeds
        const auto exchanges = m.machine->device()->exchanges(SMCSim::SimSmcDevice::kCommandWriteBytes);
        ASSERT_EQ(exchanges.size(), 1u);
        EXPECT_EQ(exchanges.back().smcResult, c.writable ? 0 : SMCSim::SimSmcDevice::kSMCNotWritable);
        EXPECT_EQ(m.value("F0Mn"), c.writable ? 1000 : c.minimum);
    }
}

TEST(RealFirmwareManners, ForcedTargetReadsBackWithinTheRange)
{
    RealMachine m("mba-intel-t2-1fan"); // one "flt " fan, 2700-8000 rpm, mode key
    ConsoleCapture console;
    m.smc.setFanMode(0, FanMode::forced);
    ASSERT_EQ(m.value("F0Md"), 1);
    m.smc.writeFanKeyBytes(0, 9000); // past the maximum, as a client that does not check would
    EXPECT_EQ(m.value("F0Tg"), 8000);
    m.advance(30);
    EXPECT_NEAR(m.value("F0Ac"), 8000, 1);
    m.smc.writeFanKeyBytes(0, 100);
    EXPECT_EQ(m.value("F0Tg"), 2700);
    m.advance(30);
    EXPECT_NEAR(m.value("F0Ac"), 2700, 1);
    // In automatic mode the target stands as written: the curve decides the speed.
    m.smc.setFanMode(0, FanMode::automatic);
    m.smc.writeFanKeyBytes(0, 9000);
    EXPECT_EQ(m.value("F0Tg"), 9000);
}

// The firmware's "no sensor" (81 00 in "sp78") stays what it is however hot the machine runs.
TEST(RealFirmwareManners, AbsentSensorsKeepTheNoSensorValue)
{
    RealMachine m("macpro-intel-4fan");
    ASSERT_TRUE(m.machine->setLoad(1));
    m.advance(120);
    for (const char* key : {"TG0D", "TG0P", "TC1F"}) {
        SCOPED_TRACE(key);
        Aerlo::SMCVal value;
        value.key = key;
        ASSERT_EQ(m.smc.read(value), 0u);
        EXPECT_EQ(value.dataType, "sp78");
        EXPECT_EQ(value.bytes[0], 0x81);
        EXPECT_EQ(value.bytes[1], 0x00);
    }
    // A sensor in use warms up.
    const auto start = SMCSim::ValueCodec::decode("sp78", m.machine->profile().keys.find("TC0P")->bytes);
    EXPECT_GT(m.value("TC0P"), *start + 5);
}

// A rail the real machine does not use reads 0 in its table and stays so under load; one in use follows it.
TEST(RealFirmwareManners, UnusedRailsStayAtZero)
{
    RealMachine m("mbp-intel-2fan");
    ASSERT_TRUE(m.machine->profile().keys.find("PC0C")->dynamic); // "CPU Core" of the catalogue, 0 here
    const double idle = m.value("PCPC");
    ASSERT_TRUE(m.machine->setLoad(1));
    m.advance(5);
    EXPECT_FALSE(m.smc.getValue("PC0C"));
    EXPECT_GT(m.value("PCPC"), idle + 20);
}

TEST(RealFirmwareManners, BatteryCurrentGoesNegativeOnBattery)
{
    // The MacBook Air's table was taken on battery ("B0AC" below 0), the MacBook Pro's on power.
    RealMachine air("mba-intel-t2-1fan");
    EXPECT_EQ(air.machine->snapshot()["source"], "battery");
    EXPECT_NEAR(air.stored("B0AC"), -(0x10000 - 0xFAB5), 1); // as the table had it: −1355 mA
    ASSERT_TRUE(air.machine->setLoad(1));
    const double loaded = air.stored("B0AC");
    EXPECT_LT(loaded, -3000); // the full draw at the battery's 11.3 V
    EXPECT_NEAR(air.value("IBAC"), -loaded / 1000, 0.05); // its own idle, in steps of 1/256 A

    auto reply = air.machine->control(R"({"command":"power","source":"ac"})");
    EXPECT_EQ(reply.text, R"({"ok":true})");
    // On power the battery rests.
    EXPECT_EQ(air.stored("B0AC"), 0);
    EXPECT_EQ(air.stored("IBAC"), 0);
    EXPECT_EQ(air.machine->snapshot()["currents"]["B0AC"], 0);

    RealMachine pro("mbp-intel-2fan");
    EXPECT_EQ(pro.machine->snapshot()["source"], "ac");
    reply = pro.machine->control(R"({"command":"power","source":"battery"})");
    EXPECT_EQ(reply.text, R"({"ok":true})");
    EXPECT_LT(pro.stored("B0AC"), -500);
    EXPECT_GT(pro.value("IBAC"), 0.5);

    reply = pro.machine->control(R"({"command":"power","source":"mains"})");
    EXPECT_EQ(reply.text, R"({"ok":false,"error":"expected a \"source\": \"battery\" or \"ac\""})");
}

// The enumeration of a real table: the firmware's index order, and the reads it refuses fail alike.
TEST(RealFirmwareManners, RefusedReadsFailAsTheyDidOnTheMachine)
{
    RealMachine m("mba-intel-t2-1fan");
    ConsoleCapture console;
    EXPECT_EQ(m.smc.getAllKeys().size(), 616u);
    Aerlo::SMCVal value;
    value.key = "AC-F"; // "NOT READABLE, code 85"
    EXPECT_EQ(m.smc.read(value), 0u);
    EXPECT_EQ(m.machine->device()->exchanges().back().smcResult, 0x85);
    EXPECT_FALSE(m.smc.getValue("AC-F"));
    value = {};
    value.key = "EFBS"; // "Unable to read smc value E00002C1", then "NOT READABLE, code FF"
    EXPECT_EQ(m.smc.read(value), 0xE00002C1u);
    EXPECT_EQ(m.machine->device()->exchanges().back().smcResult, 0xFF);
}
