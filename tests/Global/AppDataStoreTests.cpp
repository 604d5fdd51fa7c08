#include "Classes/Configure/Global/AppDataStore.h"
#include "Platform/Foundation/Paths.h"
#include "tests/Global/DefaultsTest.h"
#include "tests/Support/TestAccess.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace Aerlo;

using AppDataStoreTest = DefaultsTest;

TEST_F(AppDataStoreTest, DefaultOnlyWhenNothingIsStored)
{
    AppDataStore& store = AppDataStore::shared();
    EXPECT_TRUE(store.bool_("sensor_TC0P_popup", true));
    EXPECT_FALSE(store.has("sensor_TC0P_popup"));

    store.set(false, "sensor_TC0P_popup");
    EXPECT_TRUE(store.has("sensor_TC0P_popup"));
    EXPECT_FALSE(store.bool_("sensor_TC0P_popup", true));

    EXPECT_EQ(store.integer("fan_0_speed", 1200), 1200);
    store.set(0, "fan_0_speed");
    EXPECT_EQ(store.integer("fan_0_speed", 1200), 0);

    EXPECT_EQ(store.string("temperature_units", "system"), "system");
    store.set("fahrenheit", "temperature_units");
    EXPECT_EQ(store.string("temperature_units", "system"), "fahrenheit");
}

TEST_F(AppDataStoreTest, StoredValuesReadThroughTheSuiteConversions)
{
    AppDataStore& store = AppDataStore::shared();
    store.set(true, "flag");
    EXPECT_EQ(store.integer("flag", 7), 1);
    store.set(5, "count");
    EXPECT_TRUE(store.bool_("count", false));
    store.set("YES", "text");
    EXPECT_TRUE(store.bool_("text", false));
    // A text literal is stored as text, never as a Bool.
    EXPECT_EQ(store.ud().object("text")->type(), Foundation::PropertyListValue::Type::string);

    store.set(AppDataStore::Data {1, 2, 3}, "blob");
    EXPECT_EQ(store.data("blob"), (AppDataStore::Data {1, 2, 3}));
    EXPECT_FALSE(store.data("text"));
    EXPECT_EQ(store.string("blob", "fallback"), "fallback");
}

TEST_F(AppDataStoreTest, RemoveAndRemoveAll)
{
    AppDataStore& store = AppDataStore::shared();
    store.set(3, "a");
    store.remove("a");
    EXPECT_FALSE(store.has("a"));

    store.set(1, "b");
    store.ud().set(Foundation::PropertyListValue("direct"), "c");
    store.removeAll();
    EXPECT_TRUE(store.ud().dictionaryRepresentation().empty());
}

TEST_F(AppDataStoreTest, ReadsSeeTheGlobalDomainButRemoveAllLeavesIt)
{
    const auto globalFile = Foundation::Paths::preferences() / ".GlobalPreferences.plist";
    std::filesystem::create_directories(globalFile.parent_path());
    const std::string globalText =
        Foundation::PropertyListValue(Foundation::PropertyListValue::Dictionary {{"AppleInterfaceStyle", "Dark"}})
            .toJSONText();
    std::ofstream(globalFile) << globalText;

    AppDataStore& store = AppDataStore::shared();
    EXPECT_TRUE(store.ud().synchronize());
    EXPECT_TRUE(store.has("AppleInterfaceStyle"));
    EXPECT_EQ(store.string("AppleInterfaceStyle", ""), "Dark");

    store.set(1, "own");
    store.removeAll();
    EXPECT_FALSE(store.has("own"));
    EXPECT_EQ(store.string("AppleInterfaceStyle", ""), "Dark");
    std::ifstream file(globalFile);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), globalText);
}

TEST_F(AppDataStoreTest, SharedStoreFollowsAChangeOfTheStandardSuite)
{
    AppDataStore::shared().set(false, "k");
    ASSERT_TRUE(Foundation::UserDefaults::setStandardSuiteName("com.norvane.AerloOffline.Other"));
    EXPECT_TRUE(AppDataStore::shared().bool_("k", true));
    AppDataStore::shared().set(7, "n");
    EXPECT_EQ(Foundation::UserDefaults::suite("com.norvane.AerloOffline.Other")->integer("n"), 7);
    TestAccess::resetForTesting<Foundation::UserDefaults>();
    EXPECT_FALSE(AppDataStore::shared().bool_("k", true));
    EXPECT_FALSE(AppDataStore::shared().has("n"));
}
