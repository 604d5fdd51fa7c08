#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using Aerlo::AppDataStore;
using Aerlo::FanRule;
using Aerlo::QVFanRulesManager;

namespace {

class FanRulesStoreTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<Foundation::UserDefaults>(); }
    void TearDown() override { TestAccess::resetForTesting<Foundation::UserDefaults>(); }

    static void store(const std::string& text)
    {
        AppDataStore::shared().set(AppDataStore::Data(text.begin(), text.end()), QVFanRulesManager::key);
    }
    static std::string stored()
    {
        const auto data = AppDataStore::shared().data(QVFanRulesManager::key);
        return data ? std::string(data->begin(), data->end()) : "(absent)";
    }

    TempRoot root_;
    ConsoleCapture console_;
};

const std::string decodeFailure = "Failed to decode fan rules: ";

} // namespace

TEST_F(FanRulesStoreTest, ANewRuleIsStoredAsThePlatformEncoderWritesItAndReadsBack)
{
    QVFanRulesManager::saveFanRules({FanRule {}});
    EXPECT_EQ(stored(), R"([{"sensorType":"Any Sensor","sensorTemperature":0,"fanType":"","fanSpeedPercentage":0}])");

    const std::vector<FanRule> rules {{"CPU Core 1/2", 60, "All Fans", 50}, {"Any Sensor", -5, "", 250}};
    QVFanRulesManager::saveFanRules(rules);
    EXPECT_EQ(stored(), R"([{"sensorType":"CPU Core 1\/2","sensorTemperature":60,"fanType":"All Fans",)"
                        R"("fanSpeedPercentage":50},{"sensorType":"Any Sensor","sensorTemperature":-5,)"
                        R"("fanType":"","fanSpeedPercentage":250}])");
    EXPECT_EQ(QVFanRulesManager::loadFanRules(), rules) << "stored and loaded unclamped";

    QVFanRulesManager::saveFanRules({});
    EXPECT_EQ(stored(), "[]");
    EXPECT_TRUE(QVFanRulesManager::loadFanRules().empty());
    EXPECT_EQ(console_.output(), "");
}

TEST_F(FanRulesStoreTest, DecodingIsStrictAndAFailureLeavesTheStoredValue)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<FanRule> rules;
        std::string printed;
    } cases[] = {
        {"one object lacks fanType",
         R"([{"sensorType":"A","sensorTemperature":1,"fanType":"All Fans","fanSpeedPercentage":2},)"
         R"({"sensorType":"B","sensorTemperature":1,"fanSpeedPercentage":2}])",
         {},
         decodeFailure + "The data couldn’t be read because it is missing.\n"},
        {"a text threshold",
         R"([{"sensorType":"A","sensorTemperature":"60","fanType":"","fanSpeedPercentage":2}])",
         {},
         decodeFailure + "The data couldn’t be read because it isn’t in the correct format.\n"},
        {"a fractional percentage",
         R"([{"sensorType":"A","sensorTemperature":60,"fanType":"","fanSpeedPercentage":2.5}])",
         {},
         decodeFailure + "The data couldn’t be read because it isn’t in the correct format.\n"},
        {"not JSON", "[{", {}, decodeFailure + "The data couldn’t be read because it isn’t in the correct format.\n"},
        {"not an array",
         R"({"sensorType":"A"})",
         {},
         decodeFailure + "The data couldn’t be read because it isn’t in the correct format.\n"},
        {"an extra key and a whole float",
         R"([{"sensorType":"A","sensorTemperature":60.0,"fanType":"All Fans","fanSpeedPercentage":70,"x":[1]}])",
         {{"A", 60, "All Fans", 70}},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        console_.clear();
        store(c.text);
        EXPECT_EQ(QVFanRulesManager::loadFanRules(), c.rules);
        EXPECT_EQ(console_.output(), c.printed);
        EXPECT_EQ(stored(), c.text);
    }
}

TEST_F(FanRulesStoreTest, AnAbsentKeyGivesNoRulesSilentlyAndBadTextIsNeverStored)
{
    EXPECT_TRUE(QVFanRulesManager::loadFanRules().empty());
    EXPECT_EQ(console_.output(), "");

    QVFanRulesManager::saveFanRules({{"A", 1, "All Fans", 1}});
    QVFanRulesManager::saveFanRules({{std::string("bad \xff byte"), 1, "All Fans", 1}});
    EXPECT_EQ(console_.output(),
              "Failed to encode fan rules: The data couldn’t be written because it isn’t in the correct format.\n");
    EXPECT_EQ(QVFanRulesManager::loadFanRules(), (std::vector<FanRule> {{"A", 1, "All Fans", 1}}));
}
