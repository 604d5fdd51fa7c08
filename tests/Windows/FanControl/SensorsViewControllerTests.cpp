#include "Classes/App/QVAlertManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/Windows/FanControl/SensorsViewController.h"
#include "Classes/Sensors/QVSensorNamesManager.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/TableColumn.h"
#include "Platform/Kit/TextField.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <gtest/gtest.h>

using namespace Aerlo;

namespace {

using Data = Foundation::PropertyListValue::Data;

Data bytes(const std::string& text)
{
    return Data(text.begin(), text.end());
}

class SensorsViewControllerTest : public Aerlo::Testing::ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        Kit::AlertPresenter::replaceShared(presenter_);
        TestAccess::resetForTesting<QVAlertManager>();
    }
    void TearDown() override
    {
        controller_.reset();
        Kit::AlertPresenter::replaceShared(nullptr);
        TestAccess::resetForTesting<QVAlertManager>();
        ViewsTest::TearDown();
    }

    static void storeRules(const std::vector<FanRule>& rules) { QVFanRulesManager::saveFanRules(rules); }
    static std::optional<Data> storedBytes() { return defaults().data(QVFanRulesManager::key); }
    static void useFahrenheit(bool fahrenheit)
    {
        (void)defaults().set(std::int64_t {fahrenheit ? 1 : 0}, SettingsKey::temperatureUnitIndex);
    }

    SensorsViewController& load()
    {
        controller_ = std::make_shared<SensorsViewController>();
        Kit::View& content = makeWindow({680, 540});
        content.addSubview(controller_->view());
        driver().runUntilIdle();
        return *controller_;
    }

    Kit::View& cell(long row, long column) { return *controller_->fanRulesTableView->viewAt(column, row); }
    Kit::TextField& fieldTagged(long row, int tag)
    {
        for (const auto& subview : cell(row, 2).subviews())
            if (auto* field = dynamic_cast<Kit::TextField*>(subview.get()); field && field->tag() == tag)
                return *field;
        throw std::logic_error("no field");
    }
    Kit::TextField& percentageField(long row) { return dynamic_cast<Kit::TextField&>(*cell(row, 4).subviews().front()); }
    Kit::PopUpButton& popUp(long row, long column) { return dynamic_cast<Kit::PopUpButton&>(*cell(row, column).subviews().front()); }

    void commitTemperature(long row, const std::string& text)
    {
        Kit::TextField& field = fieldTagged(row, 0);
        field.setStringValue(text);
        controller_->sensorTemperatureTextFieldChanged(field);
        driver().runUntilIdle();
    }
    void commitPercentage(long row, const std::string& text)
    {
        Kit::TextField& field = percentageField(row);
        field.setStringValue(text);
        controller_->fanSpeedTextFieldChanged(field);
        driver().runUntilIdle();
    }
    void add()
    {
        controller_->addFanRules(*controller_->addFanRulesBtn);
        driver().runUntilIdle();
    }

    std::shared_ptr<Kit::ScriptedAlertPresenter> presenter_ = std::make_shared<Kit::ScriptedAlertPresenter>();
    std::shared_ptr<SensorsViewController> controller_;
    ConsoleCapture console_;
};

const FanRule hotRule {"Any Sensor", 0, "All Fans", 50};

TEST_F(SensorsViewControllerTest, FahrenheitStoresTruncatedCelsiusAndACommittedShownValueDoesNotDrift)
{
    useFahrenheit(true);
    storeRules({hotRule});
    load();
    EXPECT_EQ(fieldTagged(0, 1).stringValue(), "℉");

    commitTemperature(0, "100");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).sensorTemperature, 37);
    EXPECT_EQ(fieldTagged(0, 0).stringValue(), "98");

    // The shown 98 committed again, twice: 37 stays.
    commitTemperature(0, "98");
    commitTemperature(0, "98");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).sensorTemperature, 37);

    commitTemperature(0, "-40");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).sensorTemperature, -40);
    EXPECT_EQ(fieldTagged(0, 0).stringValue(), "-40");
    EXPECT_EQ(controller_->messageLabel->stringValue(), "");
}

TEST_F(SensorsViewControllerTest, CelsiusStoresAndShowsTheValueWithItsSign)
{
    useFahrenheit(false);
    storeRules({hotRule});
    load();
    commitTemperature(0, "55");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).sensorTemperature, 55);
    EXPECT_EQ(fieldTagged(0, 0).stringValue(), "55");
    EXPECT_EQ(fieldTagged(0, 1).stringValue(), "℃");
}

TEST_F(SensorsViewControllerTest, EntriesOutOfRangeOrNotWholeNumbersAreRefusedAndTheStoreIsKept)
{
    const std::string temperatureMessage = localizedString("rules.invalid.temperature", {"-40", "150"});
    const std::string percentageMessage = LocalizationTable::text("rules.invalid.percentage");
    ASSERT_NE(percentageMessage, "rules.invalid.percentage");
    const struct {
        bool temperature;
        std::string text;
        const std::string& message;
    } cases[] = {
        {true, "abc", temperatureMessage},
        {true, "200", temperatureMessage},
        {true, "-41", temperatureMessage},
        {true, "12.5", temperatureMessage},
        {true, "", temperatureMessage},
        {false, "101", percentageMessage},
        {false, "250", percentageMessage},
        {false, "-5", percentageMessage},
        {false, "abc", percentageMessage},
        {false, "5x", percentageMessage},
    };
    useFahrenheit(false);
    storeRules({{"Any Sensor", 60, "All Fans", 40}});
    load();
    const auto before = storedBytes();
    ASSERT_TRUE(before);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        controller_->messageLabel->setStringValue("");
        if (c.temperature)
            commitTemperature(0, c.text);
        else
            commitPercentage(0, c.text);
        EXPECT_EQ(controller_->messageLabel->stringValue(), c.message);
        EXPECT_EQ(storedBytes(), before);
        // The field shows the stored value again.
        EXPECT_EQ(c.temperature ? fieldTagged(0, 0).stringValue() : percentageField(0).stringValue(),
            c.temperature ? "60" : "40");
    }
    // The bounds themselves are taken, and a valid edit clears the message.
    commitPercentage(0, "100");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).fanSpeedPercentage, 100);
    EXPECT_EQ(controller_->messageLabel->stringValue(), "");
    commitTemperature(0, "150");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0).sensorTemperature, 150);
}

TEST_F(SensorsViewControllerTest, AddStoresTheEmptyFanTypeUntilALaterSave)
{
    storeRules({});
    load();
    add();
    ASSERT_EQ(presenter_->shown().size(), 1u);
    EXPECT_EQ(presenter_->shown()[0].messageText, LocalizationTable::text("alert.add.rules.tips"));
    const auto stored = QVFanRulesManager::loadFanRules();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], (FanRule {"Any Sensor", 0, "", 0}));
    ASSERT_EQ(controller_->fanRulesTableView->numberOfRows(), 1);
    EXPECT_EQ(popUp(0, 0).titleOfSelectedItem(), "Any Sensor");
    EXPECT_EQ(popUp(0, 3).indexOfSelectedItem(), 0);

    commitPercentage(0, "30");
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0), (FanRule {"Any Sensor", 0, "All Fans", 30}));

    // The first-rule alert shows once per run.
    add();
    EXPECT_EQ(presenter_->shown().size(), 1u);
    EXPECT_EQ(QVFanRulesManager::loadFanRules().size(), 2u);
}

TEST_F(SensorsViewControllerTest, SensorPopUpSavesTheChosenNameAndTheFanPopUpOnlyTheWorkingCopy)
{
    QVSensorNamesManager::saveSensorNames({"CPU Core 1", "GPU"});
    storeRules({{"", 50, "", 20}});
    load();
    Kit::PopUpButton& sensors = popUp(0, 0);
    EXPECT_EQ(sensors.itemTitles(), (std::vector<std::string> {"Any Sensor", "CPU Core 1", "GPU"}));
    EXPECT_EQ(sensors.indexOfSelectedItem(), 0);
    const auto before = storedBytes();
    controller_->selectFanType(popUp(0, 3));
    EXPECT_EQ(storedBytes(), before);

    sensors.selectItemWithTitle("GPU");
    controller_->selectSensorType(sensors);
    EXPECT_EQ(QVFanRulesManager::loadFanRules().at(0), (FanRule {"GPU", 50, "All Fans", 20}));
}

TEST_F(SensorsViewControllerTest, DeleteActsOnlyOnTheSelectedRow)
{
    const std::vector<FanRule> rules {{"A", 40, "All Fans", 10}, {"B", 50, "All Fans", 20}, {"C", 60, "All Fans", 30}};
    storeRules(rules);
    load();
    EXPECT_FALSE(controller_->deleteFanRulesBtn->isEnabled());
    const auto before = storedBytes();
    controller_->deleteFanRules(*controller_->deleteFanRulesBtn);
    driver().runUntilIdle();
    EXPECT_EQ(storedBytes(), before);
    EXPECT_EQ(controller_->fanRulesTableView->numberOfRows(), 3);

    controller_->fanRulesTableView->selectRowIndexes({1}, false);
    EXPECT_EQ(controller_->selectIndex, 1);
    EXPECT_TRUE(controller_->deleteFanRulesBtn->isEnabled());
    controller_->deleteFanRules(*controller_->deleteFanRulesBtn);
    driver().runUntilIdle();
    EXPECT_EQ(QVFanRulesManager::loadFanRules(), (std::vector<FanRule> {rules[0], rules[2]}));
    EXPECT_EQ(controller_->fanRulesTableView->numberOfRows(), 2);
}

TEST_F(SensorsViewControllerTest, ACorruptDocumentIsKeptAsideBeforeTheFirstSave)
{
    const Data corrupt = bytes("[{\"sensorType\": 1}");
    (void)defaults().set(Foundation::PropertyListValue(corrupt), QVFanRulesManager::key);
    load();
    EXPECT_EQ(controller_->fanRulesTableView->numberOfRows(), 0);
    const auto lines = console_.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("Failed to decode fan rules: ")) << lines[0];
    EXPECT_GT(lines[0].size(), std::string("Failed to decode fan rules: ").size());
    EXPECT_EQ(lines[1], "Failed to load fan rules or no data available.");
    EXPECT_EQ(storedBytes(), corrupt);
    // The pane says so, rather than showing an empty list as if there were no rules.
    EXPECT_EQ(controller_->messageLabel->stringValue(), LocalizationTable::text("rules.unreadable"));
    EXPECT_NE(LocalizationTable::text("rules.unreadable"), "rules.unreadable");
    EXPECT_TRUE(controller_->emptyLabel->isHidden());

    console_.clear();
    add();
    EXPECT_EQ(QVFanRulesManager::loadFanRules(), (std::vector<FanRule> {{"Any Sensor", 0, "", 0}}));
    EXPECT_EQ(defaults().data(SensorsViewController::corruptKey), corrupt);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"无法解码的风扇规则已保存到 fanRuleDict.corrupt"}));
    EXPECT_EQ(controller_->messageLabel->stringValue(), "");

    // Only once: the next save leaves the kept copy and prints nothing.
    console_.clear();
    add();
    EXPECT_EQ(defaults().data(SensorsViewController::corruptKey), corrupt);
    EXPECT_TRUE(console_.lines().empty());
}

TEST_F(SensorsViewControllerTest, AnEmptyListSaysSoUntilARuleIsAdded)
{
    load();
    EXPECT_FALSE(controller_->emptyLabel->isHidden());
    EXPECT_EQ(controller_->emptyLabel->stringValue(), LocalizationTable::text("alert.rules.tips"));
    add();
    EXPECT_TRUE(controller_->emptyLabel->isHidden());
    controller_->fanRulesTableView->selectRowIndexes({0}, false);
    controller_->deleteFanRules(*controller_->deleteFanRulesBtn);
    EXPECT_EQ(controller_->fanRules.size(), 0u);
    EXPECT_FALSE(controller_->emptyLabel->isHidden());
}

TEST_F(SensorsViewControllerTest, AUnitChangeRedrawsEveryTemperatureAndLeavesTheStore)
{
    useFahrenheit(false);
    storeRules({{"A", 37, "All Fans", 10}, {"B", 100, "All Fans", 20}});
    load();
    const auto before = storedBytes();
    useFahrenheit(true);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
    driver().runUntilIdle();
    EXPECT_EQ(fieldTagged(0, 0).stringValue(), "98");
    EXPECT_EQ(fieldTagged(1, 0).stringValue(), "212");
    EXPECT_EQ(fieldTagged(0, 1).stringValue(), "℉");
    EXPECT_EQ(fieldTagged(1, 1).stringValue(), "℉");
    EXPECT_EQ(storedBytes(), before);
    EXPECT_TRUE(controller_->deleteFanRulesBtn->isEnabled());
}

TEST_F(SensorsViewControllerTest, TableShapeRowsAndTheUnknownColumn)
{
    storeRules({hotRule});
    load();
    Kit::TableView& table = *controller_->fanRulesTableView;
    ASSERT_EQ(table.numberOfColumns(), 5);
    const char* identifiers[] = {"SensorColumnID", "ThresholdColumnID", "SensorTemperatureColumnID", "FanColumnID",
        "SpeedPercentageColumnID"};
    for (long column = 0; column < 5; ++column)
        EXPECT_EQ(cell(0, column).identifier(), identifiers[column]);
    EXPECT_EQ(controller_->heightOfRow(table, 0), 40);
    EXPECT_FALSE(controller_->shouldEdit(table, table.tableColumns()[0].get(), 0));

    Kit::TableColumn stranger("Other");
    EXPECT_EQ(controller_->viewFor(table, &stranger, 0), nullptr);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"处理默认情况"}));
}

TEST_F(SensorsViewControllerTest, RendersTheRulesAndARefusal)
{
    useFahrenheit(false);
    storeRules({{"Any Sensor", 70, "All Fans", 60}, {"Any Sensor", 85, "All Fans", 100}});
    load();
    commitPercentage(1, "250");
    Kit::Testing::Snapshot shot = Kit::Testing::Snapshot::of(window());
    shot.save("app", "rule-editor");
    // The pane's background is drawn, and the refusal's red text lies in the message line.
    EXPECT_GT(shot.alphaAt({300, 200}), 0.9);
    bool red = false;
    for (double x = 22; x < 400 && !red; x += 1)
        for (double y = 63; y < 78 && !red; y += 1) {
            const Kit::Colour c = shot.colourAt({x, y});
            red = c.redComponent() > 0.6 && c.greenComponent() < 0.45;
        }
    EXPECT_TRUE(red);
    // The first sensor pop-up shows its title.
    bool title = false;
    for (double x = 30; x < 100 && !title; x += 1)
        for (double y = 400; y < 422 && !title; y += 1)
            title = shot.colourAt({x, y}).redComponent() < 0.4;
    EXPECT_TRUE(title);
}

// Whether some pixel of the rectangle stands out from its corner's colour.
bool drawsText(const Kit::Testing::Snapshot& shot, const Kit::Rect& rect)
{
    const Kit::Colour ground = shot.colourAt({rect.x() + 0.5, rect.y() + 0.5});
    for (double x = rect.x(); x < rect.maxX(); x += 0.5)
        for (double y = rect.y(); y < rect.maxY(); y += 0.5) {
            const Kit::Colour c = shot.colourAt({x, y});
            if (std::abs(c.redComponent() - ground.redComponent()) + std::abs(c.greenComponent() - ground.greenComponent())
                    + std::abs(c.blueComponent() - ground.blueComponent()) > 0.6)
                return true;
        }
    return false;
}

TEST_F(SensorsViewControllerTest, RendersTheEmptyAndTheDamagedList)
{
    for (const char* language : {"en", "zh_CN"}) {
        ScopedEnvironment chosen("LANGUAGE", language);
        for (const bool damaged : {false, true}) {
            if (damaged)
                (void)defaults().set(Foundation::PropertyListValue(bytes("[{")), QVFanRulesManager::key);
            for (const bool dark : {false, true}) {
                Kit::Appearance::setApplication(dark ? Kit::Appearance::darkAqua() : Kit::Appearance::aqua());
                load();
                const auto shot = Kit::Testing::Snapshot::of(window(), 2);
                shot.save("app", std::string("rule-editor-") + (damaged ? "damaged" : "empty")
                    + (language == std::string("en") ? "" : "-zh") + (dark ? "-dark" : "-light"));
                // Either the empty list's text or the message is drawn, never both.
                Kit::TextField& shown = damaged ? *controller_->messageLabel : *controller_->emptyLabel;
                Kit::TextField& other = damaged ? *controller_->emptyLabel : *controller_->messageLabel;
                EXPECT_TRUE(drawsText(shot, shown.convertTo(shown.bounds(), nullptr)));
                EXPECT_TRUE(other.isHidden() || other.stringValue().empty());
            }
        }
        (void)defaults().removeObject(QVFanRulesManager::key);
    }
    Kit::Appearance::setApplication(std::nullopt);
}

} // namespace
