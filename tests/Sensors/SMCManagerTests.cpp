#include "Classes/Sensors/SMCManager.h"

#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"

#include <cmath>
#include <limits>
#include <set>

using namespace Aerlo;

namespace {

// Sets every fan value to a marker so that writes and non-writes show.
void markFanValues(double marker)
{
    for (double* value : {&fanCount, &fan0Speed, &fan0MinSpeed, &fan0MaxSpeed, &fan1Speed, &fan1MinSpeed, &fan1MaxSpeed})
        *value = marker;
}

SMCSim::KeyTable twoFans(std::initializer_list<SMCSim::KeyEntry> more = {})
{
    auto table = smcTable({smcKey("FNum", "ui8 ", {2}), numberKey("F0Ac", 2100), numberKey("F0Mx", 5800),
                           numberKey("F1Ac", 1900), numberKey("F1Mx", 6200)});
    for (const auto& entry : more)
        table.upsert(entry);
    return table;
}

} // namespace

TEST(SMCManagerKeys, FixedLists)
{
    SMCManager manager;
    EXPECT_EQ(manager.cpuTempKeysAppleSilicon.size(), 64u);
    const std::set<std::string_view> distinct(manager.cpuTempKeysAppleSilicon.begin(),
                                              manager.cpuTempKeysAppleSilicon.end());
    EXPECT_EQ(distinct.size(), 51u);
    EXPECT_EQ(std::count(manager.cpuTempKeysAppleSilicon.begin(), manager.cpuTempKeysAppleSilicon.end(), "Tp01"), 3);
    EXPECT_EQ(manager.cpuTempKeysAppleSilicon.front(), "Tp09");
    EXPECT_EQ(manager.cpuTempKeysAppleSilicon.back(), "Tc9z");
    const std::vector<std::string_view> intel(manager.intelSMCKeys.begin(), manager.intelSMCKeys.end());
    EXPECT_EQ(intel, (std::vector<std::string_view>{"TN0P", "TM0P", "Tm0P", "TG0P", "TN0D", "TN0H", "TG0H", "TC0D",
                                                    "TC0E", "TC0F", "TC0H", "TC0P", "TCAD", "TC%c", "TC%C"}));
    EXPECT_EQ(manager.currentSMCKeyIndex, 0);
    EXPECT_EQ(manager.maxCPUTemperature, 110.0);
}

TEST(SMCManagerCPUTemperature, MeanOfTheKeysThatRead)
{
    struct Case {
        std::vector<SMCSim::KeyEntry> keys;
        CPUTemperatureMean expected;
    };
    const std::vector<Case> cases{
        {{}, {0, 0}},
        // "Tp01" stands three times: (3 × 40 + 50) / 4 = 42.5, rounded away from zero.
        {{numberKey("Tp01", 40), numberKey("Tc0a", 50)}, {4, 43}},
        {{numberKey("Tc0a", 21.5)}, {1, 22}},
        {{numberKey("Tc0a", -21.5)}, {1, -22}},
        {{numberKey("Tc0a", 21.49)}, {1, 21}},
        // A zero value counts as unreadable.
        {{numberKey("Tc0a", 0), numberKey("Tc0b", 50)}, {1, 50}},
        // So does the firmware's "no sensor" value (81 00 in sp78 is -127), at -100 and below.
        {{numberKey("Tc0a", -127, "sp78"), numberKey("Tc0b", 50, "sp78")}, {1, 50}},
        {{numberKey("Tc0a", -100), numberKey("Tc0b", 50)}, {1, 50}},
        {{numberKey("Tc0a", -99.5), numberKey("Tc0b", 50)}, {2, -25}},
    };
    for (const auto& c : cases) {
        auto table = smcTable({});
        for (const auto& key : c.keys)
            table.upsert(key);
        SensorsMachine machine(table);
        const auto& keys = SMCManager::shared().cpuTempKeysAppleSilicon;
        const std::set<std::string_view> distinct(keys.begin(), keys.end());
        EXPECT_EQ(SMCManager::shared().averageCPUTemperature(), c.expected) << c.keys.size();
        // 64 reads, each key's information asked once; no value kept between calls.
        EXPECT_EQ(machine.device->exchangeCount(), keys.size() + distinct.size());
        machine.device->resetLog();
        EXPECT_EQ(SMCManager::shared().averageCPUTemperature(), c.expected) << c.keys.size();
        EXPECT_EQ(machine.device->exchangeCount(), keys.size());
    }
}

TEST(SMCManagerForced, BitOfTheMask)
{
    struct Case {
        std::optional<double> mask;
        std::vector<bool> forced; // fans 0, 1, 2
    };
    const std::vector<Case> cases{
        {std::nullopt, {false, false, false}},
        {0, {false, false, false}},
        {1, {true, false, false}},
        {2, {false, true, false}},
        {3, {true, true, false}},
        {4, {false, false, true}},
        {7, {true, true, true}},
    };
    for (const auto& c : cases) {
        auto table = smcTable({});
        if (c.mask)
            table.upsert(numberKey("FS! ", *c.mask, "ui16"));
        SensorsMachine machine(table);
        for (int fan = 0; fan < 3; ++fan)
            EXPECT_EQ(SMCManager::shared().forced(fan), c.forced[fan]) << "mask " << c.mask.value_or(-1) << " fan " << fan;
        EXPECT_FALSE(SMCManager::shared().forced(-1));
        EXPECT_FALSE(SMCManager::shared().forced(10));
    }
}

TEST(SMCManagerFans, Names)
{
    struct Case {
        const char* profile;
        int count;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases{
        {"mbp-m1pro-2fan", 2, {"Left fan", "Right fan"}}, // two unnamed fans
        // Names from "F<i>ID" as the real machine pads them: spaces, then a NUL that stays.
        {"mbp-intel-2fan", 2, {std::string("Left side  \0", 12), std::string("Right side \0", 12)}},
        {"mba-intel-t2-1fan", 1, {"Fan #0"}},              // one unnamed fan
    };
    for (const auto& c : cases) {
        SensorsMachine machine(c.profile);
        std::vector<std::string> names;
        for (const auto& fan : SMCManager::shared().readFans(c.count))
            names.push_back(fan.name);
        EXPECT_EQ(names, c.names) << c.profile;
    }
    // More than two unnamed fans are numbered.
    SensorsMachine machine(smcTable({numberKey("F0Ac", 1000), numberKey("F1Ac", 1000), numberKey("F2Ac", 1000)}));
    const auto fans = SMCManager::shared().readFans(3);
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(fans[1].name, "Fan #1");
    EXPECT_EQ(fans[2].name, "Fan #2");
}

TEST(SMCManagerFans, RecordsAndLocalisedNames)
{
    SensorsMachine machine("mbp-m1pro-2fan");
    const auto fans = SMCManager::shared().readFans(2);
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_EQ(fans[0], (Fan{0, "F0Ac", "Left fan", 1200, 5779, 1206, FanMode::automatic, SensorGroup::sensor,
                            SensorType::fan, false, false, false, "RPM"}));
    EXPECT_EQ(fans[1], (Fan{1, "F1Ac", "Right fan", 1200, 6241, 1198, FanMode::automatic, SensorGroup::sensor,
                            SensorType::fan, false, false, false, "RPM"}));

    SMCManager::shared().localizedText = [](std::string_view key) {
        return std::string(key == "Left fan" ? "左风扇" : key == "Right fan" ? "右风扇" : "风扇");
    };
    const auto localised = SMCManager::shared().readFans(2);
    EXPECT_EQ(localised[0].name, "左风扇");
    EXPECT_EQ(localised[1].name, "右风扇");
    EXPECT_EQ(SMCManager::shared().readFans(1)[0].name, "风扇 #0");
}

TEST(SMCManagerFans, DefaultsForMissingKeys)
{
    SensorsMachine machine(smcTable({numberKey("F0Mx", 6000)}));
    const auto fans = SMCManager::shared().readFans(1);
    ASSERT_EQ(fans.size(), 1u);
    EXPECT_EQ(fans[0].minSpeed, 1.0);
    EXPECT_EQ(fans[0].maxSpeed, 6000);
    EXPECT_EQ(fans[0].value, 0);
    EXPECT_EQ(fans[0].mode, FanMode::automatic);
}

TEST(SMCManagerFans, ModeFromTheModeKeyElseTheMask)
{
    {
        SensorsMachine machine(smcTable({numberKey("FS! ", 2, "ui16")}));
        const auto fans = SMCManager::shared().readFans(2);
        EXPECT_EQ(fans[0].mode, FanMode::automatic);
        EXPECT_EQ(fans[1].mode, FanMode::forced);
    }
    {
        // The mode key wins over the mask.
        SensorsMachine machine(smcTable({numberKey("FS! ", 3, "ui16"), numberKey("F0Md", 0, "ui8 "),
                                         numberKey("F1Md", 1, "ui8 ")}));
        const auto fans = SMCManager::shared().readFans(2);
        EXPECT_EQ(fans[0].mode, FanMode::automatic);
        EXPECT_EQ(fans[1].mode, FanMode::forced);
    }
}

TEST(SMCManagerFans, KeysReadInOrder)
{
    SensorsMachine machine(smcTable({numberKey("F0Md", 1, "ui8 ")}));
    SMCManager::shared().readFans(2);
    // Fan 0 has a mode key; fan 1 falls back to the mask.
    EXPECT_EQ(machine.exchangedKeys(SMCSim::SimSmcDevice::kCommandKeyInfo),
              (std::vector<std::string>{"F0ID", "F0Md", "F0Mn", "F0Mx", "F0Ac", "F1ID", "F1Md", "FS! ", "F1Mn",
                                        "F1Mx", "F1Ac"}));
}

TEST(SMCManagerFans, CountsOutsideTheKeyRange)
{
    SensorsMachine machine(smcTable({}));
    EXPECT_TRUE(SMCManager::shared().readFans(0).empty());
    EXPECT_TRUE(SMCManager::shared().readFans(-3).empty());
    EXPECT_EQ(machine.device->exchangeCount(), 0u);
    const auto fans = SMCManager::shared().readFans(12);
    ASSERT_EQ(fans.size(), 10u);
    EXPECT_EQ(fans.back().key, "F9Ac");
    for (const auto& key : machine.exchangedKeys(SMCSim::SimSmcDevice::kCommandKeyInfo))
        EXPECT_EQ(key.size(), 4u) << key;
}

TEST(SMCManagerFanValues, LeftAndRightNameTheSameValues)
{
    EXPECT_EQ(&leftFanSpeed, &fan0Speed);
    EXPECT_EQ(&leftFanMinSpeed, &fan0MinSpeed);
    EXPECT_EQ(&leftFanMaxSpeed, &fan0MaxSpeed);
    EXPECT_EQ(&rightFanSpeed, &fan1Speed);
    EXPECT_EQ(&rightFanMinSpeed, &fan1MinSpeed);
    EXPECT_EQ(&rightFanMaxSpeed, &fan1MaxSpeed);
}

TEST(SMCManagerFanValues, RefreshTwoFans)
{
    SensorsMachine machine(twoFans());
    markFanValues(7);
    ConsoleCapture console;
    SMCManager::shared().refreshFanSpeeds();
    EXPECT_EQ(fanCount, 2);
    EXPECT_EQ(leftFanSpeed, 2100);
    EXPECT_EQ(leftFanMinSpeed, 0);
    EXPECT_EQ(leftFanMaxSpeed, 5800);
    EXPECT_EQ(rightFanSpeed, 1900);
    EXPECT_EQ(rightFanMinSpeed, 0);
    EXPECT_EQ(rightFanMaxSpeed, 6200);
    EXPECT_EQ(console.output(), "");
}

TEST(SMCManagerFanValues, UnreadableMaximumAndSpeed)
{
    SensorsMachine machine(smcTable({smcKey("FNum", "ui8 ", {1}), numberKey("F0Ac", 2500)}));
    markFanValues(7);
    SMCManager::shared().refreshFanSpeeds();
    EXPECT_EQ(fan0Speed, 2500);
    EXPECT_EQ(fan0MaxSpeed, -1);
    // One fan: fan 1's values are never written.
    EXPECT_EQ(fan1Speed, 7);
    EXPECT_EQ(fan1MinSpeed, 7);
    EXPECT_EQ(fan1MaxSpeed, 7);

    EXPECT_TRUE(machine.device->removeKey("F0Ac"));
    SMCManager::shared().refreshFanSpeeds();
    EXPECT_EQ(fan0Speed, 0);
}

TEST(SMCManagerFanValues, UnreadableCountChangesNothing)
{
    struct Case {
        const char* what;
        std::optional<SMCSim::KeyEntry> fnum;
    };
    SMCSim::KeyEntry nanCount = smcKey("FNum", "flt ", {0x00, 0x00, 0xC0, 0x7F});
    SMCSim::KeyEntry infiniteCount = smcKey("FNum", "flt ", {0x00, 0x00, 0x80, 0x7F});
    const std::vector<Case> cases{
        {"absent", std::nullopt},
        {"not a number", nanCount},
        {"infinite", infiniteCount},
        {"negative", numberKey("FNum", -2)},
        {"huge", numberKey("FNum", 1e12)},
    };
    for (const auto& c : cases) {
        auto table = twoFans();
        table.remove("FNum");
        if (c.fnum)
            table.upsert(*c.fnum);
        SensorsMachine machine(table);
        markFanValues(7);
        ConsoleCapture console;
        SMCManager::shared().refreshFanSpeeds();
        EXPECT_EQ(console.lines(), std::vector<std::string>{"FNum not found"}) << c.what;
        for (double value : {fanCount, fan0Speed, fan0MinSpeed, fan0MaxSpeed, fan1Speed, fan1MinSpeed, fan1MaxSpeed})
            EXPECT_EQ(value, 7) << c.what;
    }
}

TEST(SMCManagerFanValues, FanCountFromValue)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<std::optional<double>, std::optional<int>>> cases{
        {std::nullopt, std::nullopt}, {nan, std::nullopt}, {-1, std::nullopt}, {256, std::nullopt},
        {0, 0}, {2, 2}, {2.9, 2}, {255, 255},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(SMCManager::fanCountFromValue(value), expected) << value.value_or(-99);
}
