#include "Classes/Sensors/SensorsReader.h"

#include "tests/Sensors/ProcessCounters.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <atomic>
#include <cmath>
#include <thread>

using namespace Aerlo;

namespace {

double valueOf(const SensorsReader& reader, const std::string& key)
{
    return byKey(reader.list->sensors()).at(key).value();
}

Fan fastestFanOf(const SensorsReader& reader)
{
    return *byKey(reader.list->sensors()).at("Fastest fan").fan();
}

// An Apple-silicon machine with CPU and GPU readings, two fans, system power and the two clamped keys.
SMCSim::KeyTable m1Table()
{
    return smcTable({smcKey("FNum", "ui8 ", {2}), numberKey("F0Ac", 1200), numberKey("F0Mn", 1000),
                     numberKey("F0Mx", 5000), numberKey("F1Ac", 1200), numberKey("F1Mn", 1100),
                     numberKey("F1Mx", 6000), numberKey("Tp09", 40), numberKey("Tp0T", 50), numberKey("Tg05", 30),
                     numberKey("Tg0D", 34), numberKey("TW0P", 35), numberKey("TR0Z", 33), numberKey("PSTR", 20),
                     numberKey("VD0R", 20), numberKey("ID0R", 1)});
}


// Moves on by a hundredth of a second each time it is read, from any thread.
class TickingClock : public Foundation::Clock {
public:
    double now() const override { return time_.fetch_add(0.01); }
    double wallTime() const override { return 1735689600.0 + now(); }

private:
    mutable std::atomic<double> time_{100};
};

} // namespace

// Every live reading is refreshed with exactly one read exchange, its key's information known from the
// list build; computed and unknown readings are not read.
TEST(SensorReadCycle, OneExchangePerKeyOnEveryProfile)
{
    for (const auto& name : SMCSim::MachineProfile::availableNames()) {
        SCOPED_TRACE(name);
        SensorsMachine machine(name);
        const auto profile = loadProfile(name);
        auto reader = machine.reader(profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt);
        std::vector<std::string> live;
        for (const auto& sensor : reader->list->sensors())
            if (!sensor.isComputed() && sensor.group() != SensorGroup::unknown)
                live.push_back(sensor.key());
        machine.device->resetLog();
        ConsoleCapture console;
        reader->read();
        EXPECT_EQ(console.output(), "");
        EXPECT_EQ(machine.device->exchangeCount(), live.size());
        EXPECT_EQ(machine.exchangedKeys(SMCSim::SimSmcDevice::kCommandReadBytes), live);
    }
}

TEST(SensorReadCycle, DerivedReadings)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    EXPECT_TRUE(machine.device->setValue("Tp09", 44));
    EXPECT_TRUE(machine.device->setValue("Tp0T", 47));
    EXPECT_TRUE(machine.device->setValue("Tg05", 36));
    EXPECT_TRUE(machine.device->setValue("Tg0D", 31));
    reader->read();
    EXPECT_EQ(valueOf(*reader, "Average CPU"), 45.5);
    EXPECT_EQ(valueOf(*reader, "Hottest CPU"), 47);
    EXPECT_EQ(intelCPUAverageTemperature.load(), 45.5);
    EXPECT_EQ(valueOf(*reader, "Average GPU"), 33.5);
    EXPECT_EQ(valueOf(*reader, "Hottest GPU"), 36);

    // Equal fans: the first one; a faster second one takes over with its own range.
    EXPECT_EQ(fastestFanOf(*reader).maxSpeed, 5000);
    EXPECT_TRUE(machine.device->setValue("F1Ac", 2400));
    reader->read();
    const Fan fastest = fastestFanOf(*reader);
    EXPECT_EQ(fastest, (Fan{-1, "Fastest fan", "Fastest fan", 1100, 6000, 2400, FanMode::automatic,
                            SensorGroup::sensor, SensorType::fan, false, true, false, "RPM"}));
    EXPECT_EQ(valueOf(*reader, "F1Ac"), 2400);
}

TEST(SensorReadCycle, ImplausibleCPUTemperaturesKeepTheirValue)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    struct Step {
        double cpu;
        double expected;
    };
    for (const auto& [cpu, expected] : std::vector<Step>{{125, 40}, {5, 40}, {120, 120}, {10, 10}, {9.99, 10}}) {
        EXPECT_TRUE(machine.device->setValue("Tp09", cpu));
        reader->read();
        EXPECT_NEAR(valueOf(*reader, "Tp09"), expected, 1e-5) << cpu;
    }
    // Unreadable: a CPU temperature keeps its value, another reading shows 0.
    EXPECT_TRUE(machine.device->removeKey("Tp09"));
    EXPECT_TRUE(machine.device->removeKey("TW0P"));
    EXPECT_TRUE(machine.device->setValue("Tg05", 125));
    reader->read();
    EXPECT_NEAR(valueOf(*reader, "Tp09"), 10, 1e-5);
    EXPECT_EQ(valueOf(*reader, "TW0P"), 0);
    EXPECT_EQ(valueOf(*reader, "Tg05"), 125);
}

TEST(SensorReadCycle, NearZeroInputsClamped)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    struct Step {
        double voltage, current, expectedVoltage, expectedCurrent;
    };
    for (const auto& step : std::vector<Step>{{0.39, 0.049, 0, 0}, {0.4, 0.05, 0.4, 0.05}}) {
        EXPECT_TRUE(machine.device->setValue("VD0R", step.voltage));
        EXPECT_TRUE(machine.device->setValue("ID0R", step.current));
        reader->read();
        EXPECT_NEAR(valueOf(*reader, "VD0R"), step.expectedVoltage, 1e-6);
        EXPECT_NEAR(valueOf(*reader, "ID0R"), step.expectedCurrent, 1e-6);
    }
}

TEST(SensorReadCycle, UnknownReadingsKeepTheirBuildValueUnlessAsked)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    EXPECT_TRUE(machine.device->setValue("TR0Z", 39));
    reader->read();
    EXPECT_EQ(valueOf(*reader, "TR0Z"), 33);
    reader->unknownSensorsState = true;
    reader->read();
    EXPECT_EQ(valueOf(*reader, "TR0Z"), 39);
}

TEST(SensorReadCycleEnergy, IntegratedOnMonotonicTime)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    const double created = reader->firstRead();
    EXPECT_EQ(reader->lastRead(), created);

    machine.clock.advance(1);
    reader->read();
    EXPECT_NEAR(valueOf(*reader, "Total System Consumption"), 20.0 / 3600, 1e-12);
    EXPECT_NEAR(valueOf(*reader, "Average System Total"), 20, 1e-9);
    EXPECT_EQ(reader->lastRead(), created + 1);

    // The wall clock jumps a day ahead: one monotonic second adds one second's energy.
    machine.clock.setWallTime(machine.clock.wallTime() + 86400);
    machine.clock.advance(1);
    reader->read();
    EXPECT_NEAR(valueOf(*reader, "Total System Consumption"), 40.0 / 3600, 1e-12);

    // A gap of an hour (a stalled process, a sleep on a clock that counts it) adds at most one step.
    machine.clock.advance(3600);
    reader->read();
    const double total = (40.0 + 20.0 * SensorsReader::maxEnergyStep) / 3600;
    EXPECT_NEAR(valueOf(*reader, "Total System Consumption"), total, 1e-12);
    EXPECT_NEAR(valueOf(*reader, "Average System Total"), total * 3600 / 3602, 1e-9);

    // No power: nothing is integrated and the last step stays where it was.
    EXPECT_TRUE(machine.device->setValue("PSTR", 0));
    machine.clock.advance(1);
    reader->read();
    EXPECT_EQ(reader->lastRead(), created + 3602);
    EXPECT_NEAR(valueOf(*reader, "Total System Consumption"), total, 1e-12);
}

TEST(SensorReadCycleEnergy, WithoutSystemPowerNothingMoves)
{
    auto table = m1Table();
    table.remove("PSTR");
    SensorsMachine machine(table);
    auto reader = machine.reader(Platform::m1);
    const double created = reader->lastRead();
    machine.clock.advance(5);
    reader->read();
    EXPECT_EQ(reader->lastRead(), created);
    EXPECT_FALSE(byKey(reader->list->sensors()).contains("Total System Consumption"));
}

// Passes from two threads never overlap: the energy telescopes to one integral over the whole run, and
// changes made to the list meanwhile are not lost to a pass writing back an older copy.
TEST(SensorReadCycleConcurrency, OverlappingCallsAreSerialised)
{
    SensorsMachine machine(m1Table());
    TickingClock clock;
    auto reader = std::make_shared<SensorsReader>(Platform::m1, clock);
    const auto keys = keysOf(reader->list->sensors());
    std::vector<std::string> live;
    for (const auto& sensor : reader->list->sensors())
        if (!sensor.isComputed() && sensor.group() != SensorGroup::unknown)
            live.push_back(sensor.key());
    machine.device->resetLog();
    std::atomic<bool> done{false};
    std::atomic<int> changedKeys{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i)
        threads.emplace_back([&] {
            for (int pass = 0; pass < 200; ++pass)
                reader->read();
        });
    std::thread editor([&] {
        // "TR0Z" is unknown, so no pass reads it.
        for (int i = 0; i < 1000; ++i)
            reader->list->modifySensors([](std::vector<Sensor_p>& sensors) {
                for (auto& sensor : sensors)
                    if (sensor.key() == "TR0Z")
                        sensor.modifyValue([](double& value) { value += 1; });
            });
    });
    std::thread copier([&] {
        // Passes change values only: keys and their order stay.
        while (!done.load())
            if (keysOf(reader->list->sensors()) != keys)
                ++changedKeys;
    });
    for (auto& thread : threads)
        thread.join();
    editor.join();
    done = true;
    copier.join();

    // The device saw whole passes, one after the other, each from one thread.
    const auto exchanges = machine.device->exchanges(SMCSim::SimSmcDevice::kCommandReadBytes);
    ASSERT_EQ(exchanges.size(), 400 * live.size());
    for (std::size_t pass = 0; pass < 400; ++pass) {
        for (std::size_t i = 0; i < live.size(); ++i) {
            const auto& exchange = exchanges[pass * live.size() + i];
            ASSERT_EQ(exchange.key, live[i]) << "pass " << pass;
            ASSERT_EQ(exchange.thread, exchanges[pass * live.size()].thread) << "pass " << pass;
        }
    }
    EXPECT_EQ(changedKeys.load(), 0);
    EXPECT_EQ(valueOf(*reader, "TR0Z"), 33 + 1000);
    const double integral = 20 * (reader->lastRead() - reader->firstRead()) / 3600;
    EXPECT_NEAR(valueOf(*reader, "Total System Consumption"), integral, 1e-9);
    EXPECT_EQ(intelCPUAverageTemperature.load(), 45);
}

TEST(SensorReadCycle, PassesLeaveNoThreadsBehind)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    reader->read();
    const int before = threadCount();
    for (int i = 0; i < 2000; ++i)
        reader->read();
    EXPECT_EQ(threadCount(), before);
}

TEST(SensorReadCycle, SharedReaderIsTheOneSet)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    TestAccess::resetForTesting<SensorsReader>(reader);
    EXPECT_EQ(SensorsReader::shared(), reader);
}

TEST(SensorReadCycleGeneration, EachPassAdvancesTheListOnce)
{
    SensorsMachine machine(m1Table());
    auto reader = machine.reader(Platform::m1);
    EXPECT_EQ(reader->list->generation(), 1u); // the build's list replaced the empty one
    for (std::uint64_t pass = 1; pass <= 10; ++pass) {
        reader->read();
        EXPECT_EQ(reader->list->generation(), 1 + pass);
    }
    // Unknown readings left alone: a pass still marks the list once.
    reader->unknownSensorsState = true;
    reader->read();
    EXPECT_EQ(reader->list->generation(), 12u);
}

TEST(SensorReadCycleGeneration, PassesFromTwoThreadsAdvanceItOnceEach)
{
    SensorsMachine machine(m1Table());
    TickingClock clock;
    auto reader = std::make_shared<SensorsReader>(Platform::m1, clock);
    const std::uint64_t start = reader->list->generation();
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int pass = 0; pass < 10; ++pass)
                reader->read();
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(reader->list->generation(), start + 20);
}
