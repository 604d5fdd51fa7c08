#pragma once

#include "Classes/FanControl/FanRule.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Kit/TableView.h"
#include "Platform/Kit/TableViewDelegate.h"
#include "Platform/Kit/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Kit {
class Button;
class Control;
class PopUpButton;
class TextField;
}

namespace Aerlo {

// The pane in which the custom fan rules are written: one row per rule (sensor, threshold, temperature in
// the chosen unit, fans, speed percentage); every valid edit writes the whole list back.
class SensorsViewController : public Kit::ViewController, public Kit::TableViewDataSource, public Kit::TableViewDelegate {
public:
    static constexpr double rowHeight = 40;
    static constexpr std::int64_t minimumCelsius = -40;
    static constexpr std::int64_t maximumCelsius = 150;
    // Where a document that would not decode is kept before the pane first overwrites it.
    static constexpr const char* corruptKey = "fanRuleDict.corrupt";

    // Registers the pane's scene "SensorsViewController".
    static void registerScene();
    // The scene's initial controller, when it is a SensorsViewController.
    static std::shared_ptr<SensorsViewController> instantiateFromStoryboard();

    SensorsViewController();
    ~SensorsViewController() override;

    std::shared_ptr<Kit::TableView> fanRulesTableView;
    std::shared_ptr<Kit::Button> addFanRulesBtn;
    std::shared_ptr<Kit::Button> deleteFanRulesBtn;
    std::vector<FanRule> fanRules;
    long selectIndex = 0;
    // The refusal of the last edit, or why the stored rules are not shown, under the table.
    std::shared_ptr<Kit::TextField> messageLabel;
    // Over the table while it holds no rule.
    std::shared_ptr<Kit::TextField> emptyLabel;

    // The actions of the cells and buttons.
    void selectSensorType(Kit::Control& sender);
    void sensorTemperatureTextFieldChanged(Kit::Control& sender);
    void selectFanType(Kit::Control& sender);
    void fanSpeedTextFieldChanged(Kit::Control& sender);
    void addFanRules(Kit::Control& sender);
    void deleteFanRules(Kit::Control& sender);
    void refreshTableView();

    void viewWillAppear() override;

    // Table data source and delegate.
    long numberOfRows(Kit::TableView& tableView) override;
    std::shared_ptr<Kit::View> viewFor(Kit::TableView& tableView, Kit::TableColumn* column, long row) override;
    std::optional<double> heightOfRow(Kit::TableView&, long) override { return rowHeight; }
    bool shouldEdit(Kit::TableView&, Kit::TableColumn*, long) override { return false; }
    void selectionDidChange(Kit::TableView& tableView) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    // The rule of the row the control sits in; none when the row is not a rule.
    std::optional<long> ruleRow(const Kit::View& sender) const;
    void save();
    void refuse(const std::string& message, long row);
    void updateEmptyLabel();
    // The threshold as shown in the unit chosen now.
    static std::int64_t shownTemperature(std::int64_t celsius);
    static bool showsFahrenheit();

    std::optional<Foundation::PropertyListValue::Data> undecodable_;
    Foundation::ObserverToken unitObserver_;
};

} // namespace Aerlo
