#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Sensors/QVSensorNamesManager.h"
#include "tests/Global/DefaultsTest.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

using namespace Aerlo;

namespace {

std::string storedText()
{
    const auto data = AppDataStore::shared().data("sensorNames");
    return data ? std::string(data->begin(), data->end()) : "<absent>";
}

void store(std::string_view text)
{
    AppDataStore::shared().set(AppDataStore::Data(text.begin(), text.end()), "sensorNames");
}

using SensorNamesTest = DefaultsTest;

} // namespace

TEST_F(SensorNamesTest, SaveAndLoad)
{
    EXPECT_TRUE(QVSensorNamesManager::loadSensorNames().empty());
    QVSensorNamesManager::saveSensorNames({"CPU core 1", "Disk 1 (A)", "中文", "a/b"});
    EXPECT_EQ(storedText(), R"json(["CPU core 1","Disk 1 (A)","中文","a\/b"])json");
    EXPECT_EQ(QVSensorNamesManager::loadSensorNames(),
              (std::vector<std::string> {"CPU core 1", "Disk 1 (A)", "中文", "a/b"}));
    QVSensorNamesManager::saveSensorNames({});
    EXPECT_EQ(storedText(), "[]");
}

TEST_F(SensorNamesTest, UndecodableDataGivesNothing)
{
    for (const char* text : {"not json", "{\"a\":1}", "[1,2]", "[\"a\",null]"}) {
        store(text);
        ConsoleCapture console;
        EXPECT_TRUE(QVSensorNamesManager::loadSensorNames().empty()) << text;
        EXPECT_EQ(console.lines(),
                  std::vector<std::string> {
                      "解码传感器名称失败：The data couldn’t be read because it isn’t in the correct format."})
            << text;
    }
}

TEST_F(SensorNamesTest, UnencodableNamesKeepThePreviousValue)
{
    QVSensorNamesManager::saveSensorNames({"CPU core 1"});
    ConsoleCapture console;
    QVSensorNamesManager::saveSensorNames({"ok", std::string("\xC0\xAF", 2)});
    EXPECT_EQ(console.lines(),
              std::vector<std::string> {
                  "编码传感器名称失败：The data couldn’t be written because it isn’t in the correct format."});
    EXPECT_EQ(storedText(), R"(["CPU core 1"])");
}

TEST_F(SensorNamesTest, FillStoresTheTemperatureNamesOnce)
{
    // M3: efficiency and performance cores, GPU 1-5, one unknown key, a voltage; Intel rows are out.
    SensorsMachine machine(
        smcTable({numberKey("Te05", 40), numberKey("Tf04", 45), numberKey("Tf14", 41), numberKey("Tf18", 41),
                  numberKey("Tf19", 41), numberKey("Tf1A", 41), numberKey("Tf24", 42), numberKey("TW0P", 37),
                  numberKey("Tc0a", 44), numberKey("VD0R", 20)}));
    TestAccess::resetForTesting<SensorsReader>(machine.reader(Platform::m3));
    ConsoleCapture console;
    QVSensorNamesManager::fillSensorNamesIfEmpty();
    const std::vector<std::string> expected {"Airport",     "GPU 5",       "Average CPU",
                                             "Average GPU", "Hottest CPU", "Hottest GPU"};
    EXPECT_EQ(QVSensorNamesManager::loadSensorNames(), expected);
    EXPECT_EQ(console.lines(), expected);

    // Filled: nothing is read or written again.
    store(R"(["Kept"])");
    machine.device->resetLog();
    console.clear();
    QVSensorNamesManager::fillSensorNamesIfEmpty();
    EXPECT_EQ(machine.device->exchangeCount(), 0u);
    EXPECT_EQ(storedText(), R"(["Kept"])");
    EXPECT_EQ(console.output(), "");
}

TEST_F(SensorNamesTest, FillKeepsWildcardCoresAndReplacesUndecodableData)
{
    SensorsMachine machine(smcTable({numberKey("TC0c", 50), numberKey("TC1c", 51), numberKey("Ts0P", 33)}));
    TestAccess::resetForTesting<SensorsReader>(machine.reader(Platform::intel));
    store("garbage");
    ConsoleCapture console;
    QVSensorNamesManager::fillSensorNamesIfEmpty();
    EXPECT_EQ(QVSensorNamesManager::loadSensorNames(),
              (std::vector<std::string> {"CPU core 1", "CPU core 2", "Average CPU", "Hottest CPU"}));
    EXPECT_EQ(console.lines().front(),
              "解码传感器名称失败：The data couldn’t be read because it isn’t in the correct format.");
}

TEST_F(SensorNamesTest, NoTemperatureLeavesAnEmptyArray)
{
    SensorsMachine machine(smcTable({numberKey("VD0R", 20), numberKey("Ts0P", 33)}));
    TestAccess::resetForTesting<SensorsReader>(machine.reader(Platform::m1));
    QVSensorNamesManager::fillSensorNamesIfEmpty();
    EXPECT_EQ(storedText(), "[]");
}
