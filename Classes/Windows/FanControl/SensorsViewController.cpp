#include "Classes/Windows/FanControl/SensorsViewController.h"

#include "Classes/App/QVAlertManager.h"
#include "Classes/Configure/Global/DamagedData.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/Sensors/QVSensorNamesManager.h"
#include "Classes/Views/InitialViewController.h"
#include "Classes/Views/PageView.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/TableCellView.h"
#include "Platform/Kit/TableColumn.h"
#include "Platform/Kit/TableHeaderView.h"
#include "Platform/Kit/TextField.h"
#include "QVToolsKit/UI/QVTableViewHelper.h"

#include <charconv>

namespace Aerlo {

namespace {

using Foundation::Console;

constexpr double paneWidth = InitialViewController::paneWidth;
constexpr double paneHeight = InitialViewController::paneHeight;
constexpr double margin = 30;
constexpr std::int64_t maximumPercentage = 100;

struct ColumnSpec {
    const char* identifier;
    const char* titleKey;
    double width;
};
constexpr ColumnSpec columns[] = {
    {"SensorColumnID", "rules.column.sensor", 170},
    {"ThresholdColumnID", "rules.column.threshold", 60},
    {"SensorTemperatureColumnID", "rules.column.temperature", 110},
    {"FanColumnID", "rules.column.fans", 120},
    {"SpeedPercentageColumnID", "rules.column.speed", 80},
};

// A whole number, blanks around it allowed; nothing else.
std::optional<std::int64_t> wholeNumber(const std::string& text)
{
    const std::string trimmed = Foundation::trimmed(text);
    if (trimmed.empty())
        return std::nullopt;
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (*begin == '+')
        ++begin;
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end)
        return std::nullopt;
    return value;
}

std::int64_t fahrenheitFromCelsius(std::int64_t celsius)
{
    return static_cast<std::int64_t>(static_cast<double>(celsius) * 9 / 5 + 32);
}

std::int64_t celsiusFromFahrenheit(std::int64_t fahrenheit)
{
    return static_cast<std::int64_t>((static_cast<double>(fahrenheit) - 32) * 5 / 9);
}

std::shared_ptr<Kit::TextField> editableField(const Kit::Rect& frame, int tag)
{
    auto field = std::make_shared<Kit::TextField>(frame);
    field->setTag(tag);
    field->setEditable(true);
    return field;
}

template <class Method>
Kit::Control::Action action(SensorsViewController* controller, Method method)
{
    return Kit::Control::Action(controller, method);
}

} // namespace

void SensorsViewController::registerScene()
{
    Storyboard::registerViewController("SensorsViewController", "", [] { return std::make_shared<SensorsViewController>(); });
}

std::shared_ptr<SensorsViewController> SensorsViewController::instantiateFromStoryboard()
{
    return std::dynamic_pointer_cast<SensorsViewController>(Storyboard::instantiateViewController("SensorsViewController"));
}

SensorsViewController::SensorsViewController() = default;

SensorsViewController::~SensorsViewController()
{
    if (fanRulesTableView) {
        fanRulesTableView->setDataSource(nullptr);
        fanRulesTableView->setDelegate(nullptr);
    }
}

bool SensorsViewController::showsFahrenheit()
{
    return Foundation::UserDefaults::standard().integer(SettingsKey::temperatureUnitIndex) != 0;
}

std::int64_t SensorsViewController::shownTemperature(std::int64_t celsius)
{
    return showsFahrenheit() ? fahrenheitFromCelsius(celsius) : celsius;
}

void SensorsViewController::loadView()
{
    auto view = std::make_shared<Kit::View>(Kit::Rect {0, 0, paneWidth, paneHeight});
    view->setWantsLayer(true);
    view->layer().setBackgroundColor(Kit::Colour::windowBackgroundColor());
    view->layer().setCornerRadius(12);

    view->addSubview(PageView::makeTitle(LocalizationTable::text("rules.window.title")));

    fanRulesTableView = std::make_shared<Kit::TableView>(Kit::Rect {0, 0, paneWidth - 2 * margin, 240});
    fanRulesTableView->setHeaderView(std::make_shared<Kit::TableHeaderView>());
    for (const ColumnSpec& spec : columns) {
        auto column = std::make_shared<Kit::TableColumn>(spec.identifier, spec.width);
        column->setTitle(LocalizationTable::text(spec.titleKey));
        fanRulesTableView->addTableColumn(column);
    }
    fanRulesTableView->setRowHeight(rowHeight);
    fanRulesTableView->registerView("SensorColumnID", [this] {
        auto cell = std::make_shared<Kit::TableCellView>(Kit::Rect {0, 0, 170, rowHeight});
        auto popUp = std::make_shared<Kit::PopUpButton>(Kit::Rect {4, 8, 160, 24});
        popUp->setAction(action(this, &SensorsViewController::selectSensorType));
        cell->addSubview(popUp);
        return cell;
    });
    fanRulesTableView->registerView("ThresholdColumnID", [] {
        auto cell = std::make_shared<Kit::TableCellView>(Kit::Rect {0, 0, 60, rowHeight});
        auto label = Kit::TextField::labelWithString("≥");
        label->setFrame({20, 12, 30, 18});
        cell->addSubview(label);
        return cell;
    });
    fanRulesTableView->registerView("SensorTemperatureColumnID", [this] {
        auto cell = std::make_shared<Kit::TableCellView>(Kit::Rect {0, 0, 110, rowHeight});
        auto field = editableField({4, 9, 60, 22}, 0);
        field->setAction(action(this, &SensorsViewController::sensorTemperatureTextFieldChanged));
        auto unit = Kit::TextField::labelWithString("℃");
        unit->setFrame({68, 11, 30, 18});
        unit->setTag(1);
        cell->addSubview(field);
        cell->addSubview(unit);
        return cell;
    });
    fanRulesTableView->registerView("FanColumnID", [this] {
        auto cell = std::make_shared<Kit::TableCellView>(Kit::Rect {0, 0, 120, rowHeight});
        auto popUp = std::make_shared<Kit::PopUpButton>(Kit::Rect {4, 8, 110, 24});
        popUp->addItem(FanRule::allFans);
        popUp->setAction(action(this, &SensorsViewController::selectFanType));
        cell->addSubview(popUp);
        return cell;
    });
    fanRulesTableView->registerView("SpeedPercentageColumnID", [this] {
        auto cell = std::make_shared<Kit::TableCellView>(Kit::Rect {0, 0, 80, rowHeight});
        auto field = editableField({4, 9, 60, 22}, 0);
        field->setAction(action(this, &SensorsViewController::fanSpeedTextFieldChanged));
        cell->addSubview(field);
        return cell;
    });
    fanRulesTableView->setDataSource(this);
    fanRulesTableView->setDelegate(this);

    const Kit::Rect tableFrame {margin, 90, paneWidth - 2 * margin, paneHeight - 170};
    auto scrollView = std::make_shared<Kit::ScrollView>(tableFrame);
    scrollView->setDocumentView(fanRulesTableView);
    view->addSubview(scrollView);

    emptyLabel = Kit::TextField::labelWithString(LocalizationTable::text("alert.rules.tips"));
    emptyLabel->setFont(Kit::Font::systemFont(15, Kit::Font::Weight::medium));
    emptyLabel->setTextColor(Kit::Colour::secondaryLabelColor());
    emptyLabel->setAlignment(Kit::TextAlignment::center);
    emptyLabel->setFrame({tableFrame.x(), tableFrame.midY() - 11, tableFrame.width(), 22});
    view->addSubview(emptyLabel);

    messageLabel = Kit::TextField::labelWithString("");
    messageLabel->setFrame({margin, 62, paneWidth - 2 * margin, 18});
    messageLabel->setTextColor(Kit::Colour::fromRGB255(215, 58, 50));
    view->addSubview(messageLabel);

    addFanRulesBtn = Kit::Button::button(LocalizationTable::text("rules.add"),
        action(this, &SensorsViewController::addFanRules));
    addFanRulesBtn->setFrame({margin, 20, 110, 28});
    view->addSubview(addFanRulesBtn);
    deleteFanRulesBtn = Kit::Button::button(LocalizationTable::text("rules.delete"),
        action(this, &SensorsViewController::deleteFanRules));
    deleteFanRulesBtn->setFrame({margin + 120, 20, 110, 28});
    deleteFanRulesBtn->setEnabled(false);
    view->addSubview(deleteFanRulesBtn);
    setView(view);
}

void SensorsViewController::viewDidLoad()
{
    const auto data = Foundation::UserDefaults::standard().data(QVFanRulesManager::key);
    if (!data) {
        fanRules.clear();
        fanRulesTableView->reloadData();
    } else if (auto rules = QVFanRulesManager::decode(*data)) {
        fanRules = std::move(*rules);
        fanRulesTableView->reloadData();
    } else {
        Console::print("Failed to decode fan rules: " + rules.error());
        Console::print("Failed to load fan rules or no data available.");
        undecodable_ = *data;
        messageLabel->setStringValue(LocalizationTable::text("rules.unreadable"));
    }
    updateEmptyLabel();
    unitObserver_ = Foundation::NotificationCenter::defaultCenter().addObserver(NotificationName::updateTemperatureUnit,
        nullptr, [this](const Foundation::Notification&) { refreshTableView(); });
}

void SensorsViewController::viewWillAppear()
{
    Kit::Application& application = Kit::Application::shared();
    // The login window, which the pane would then activate, has no counterpart here.
    if (application.activationPolicy() == Kit::ActivationPolicy::accessory)
        application.setActivationPolicy(Kit::ActivationPolicy::regular);
}

void SensorsViewController::refreshTableView()
{
    fanRulesTableView->reloadData();
    deleteFanRulesBtn->setEnabled(!fanRules.empty());
}

long SensorsViewController::numberOfRows(Kit::TableView&)
{
    return static_cast<long>(fanRules.size());
}

std::shared_ptr<Kit::View> SensorsViewController::viewFor(Kit::TableView& tableView, Kit::TableColumn* column, long row)
{
    if (row < 0 || row >= static_cast<long>(fanRules.size()))
        return nullptr;
    FanRule& rule = fanRules[static_cast<std::size_t>(row)];
    const auto& all = tableView.tableColumns();
    const auto at = [&](std::size_t index) { return index < all.size() && all[index].get() == column; };
    if (at(0)) {
        auto cell = tableView.makeView("SensorColumnID");
        auto* popUp = dynamic_cast<Kit::PopUpButton*>(cell->subviews().front().get());
        popUp->removeAllItems();
        popUp->addItem(FanRule::anySensor);
        popUp->addItems(QVSensorNamesManager::loadSensorNames());
        if (rule.sensorType.empty())
            popUp->selectItem(0);
        else
            popUp->selectItemWithTitle(rule.sensorType);
        return cell;
    }
    if (at(1))
        return tableView.makeView("ThresholdColumnID");
    if (at(2)) {
        auto cell = tableView.makeView("SensorTemperatureColumnID");
        for (const auto& subview : cell->subviews()) {
            auto* field = dynamic_cast<Kit::TextField*>(subview.get());
            if (field && field->tag() == 0)
                field->setStringValue(std::to_string(shownTemperature(rule.sensorTemperature)));
            else if (field && field->tag() == 1)
                field->setStringValue(showsFahrenheit() ? "℉" : "℃");
        }
        return cell;
    }
    if (at(3)) {
        auto cell = tableView.makeView("FanColumnID");
        auto* popUp = dynamic_cast<Kit::PopUpButton*>(cell->subviews().front().get());
        if (rule.fanType.empty())
            popUp->selectItem(0);
        else
            popUp->selectItemWithTitle(rule.fanType);
        // The working copy takes the shown choice; the next save stores it.
        rule.fanType = FanRule::allFans;
        return cell;
    }
    if (at(4)) {
        auto cell = tableView.makeView("SpeedPercentageColumnID");
        dynamic_cast<Kit::TextField&>(*cell->subviews().front()).setStringValue(std::to_string(rule.fanSpeedPercentage));
        return cell;
    }
    Console::print("处理默认情况");
    return nullptr;
}

void SensorsViewController::selectionDidChange(Kit::TableView& tableView)
{
    selectIndex = tableView.selectedRow();
    deleteFanRulesBtn->setEnabled(selectIndex >= 0);
}

std::optional<long> SensorsViewController::ruleRow(const Kit::View& sender) const
{
    const long row = QVToolsKit::QVTableViewHelper::row(sender, *fanRulesTableView);
    if (row < 0 || row >= static_cast<long>(fanRules.size()))
        return std::nullopt;
    return row;
}

void SensorsViewController::save()
{
    if (undecodable_) {
        // Kept once, so that the document can still be mended by hand.
        (void)DamagedData::keepAside(corruptKey, *undecodable_, "无法解码的风扇规则已保存到 ");
        undecodable_.reset();
    }
    messageLabel->setStringValue("");
    QVFanRulesManager::saveFanRules(fanRules);
    updateEmptyLabel();
}

void SensorsViewController::updateEmptyLabel()
{
    // Damaged rules are not "no rules": the message under the table says what happened instead.
    emptyLabel->setHidden(!fanRules.empty() || undecodable_.has_value());
}

void SensorsViewController::refuse(const std::string& message, long row)
{
    messageLabel->setStringValue(message);
    QVToolsKit::QVTableViewHelper::reloadRow(*fanRulesTableView, row);
}

void SensorsViewController::selectSensorType(Kit::Control& sender)
{
    const auto row = ruleRow(sender);
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (!row || !popUp || popUp->indexOfSelectedItem() < 0)
        return;
    fanRules[static_cast<std::size_t>(*row)].sensorType = popUp->titleOfSelectedItem();
    save();
}

void SensorsViewController::sensorTemperatureTextFieldChanged(Kit::Control& sender)
{
    const auto row = ruleRow(sender);
    if (!row)
        return;
    FanRule& rule = fanRules[static_cast<std::size_t>(*row)];
    const bool fahrenheit = showsFahrenheit();
    const std::int64_t low = fahrenheit ? fahrenheitFromCelsius(minimumCelsius) : minimumCelsius;
    const std::int64_t high = fahrenheit ? fahrenheitFromCelsius(maximumCelsius) : maximumCelsius;
    const auto entered = wholeNumber(sender.stringValue());
    if (!entered || *entered < low || *entered > high) {
        refuse(localizedString("rules.invalid.temperature", {std::to_string(low), std::to_string(high)}), *row);
        return;
    }
    // The shown value committed again: converting it back would lose a degree each time.
    if (*entered == shownTemperature(rule.sensorTemperature))
        return;
    rule.sensorTemperature = fahrenheit ? celsiusFromFahrenheit(*entered) : *entered;
    save();
    QVToolsKit::QVTableViewHelper::reloadRow(*fanRulesTableView, *row);
}

void SensorsViewController::selectFanType(Kit::Control& sender)
{
    const auto row = ruleRow(sender);
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (row && popUp && popUp->indexOfSelectedItem() == 0)
        fanRules[static_cast<std::size_t>(*row)].fanType = FanRule::allFans;
}

void SensorsViewController::fanSpeedTextFieldChanged(Kit::Control& sender)
{
    const auto row = ruleRow(sender);
    if (!row)
        return;
    const auto entered = wholeNumber(sender.stringValue());
    if (!entered || *entered < 0 || *entered > maximumPercentage) {
        refuse(LocalizationTable::text("rules.invalid.percentage"), *row);
        return;
    }
    fanRules[static_cast<std::size_t>(*row)].fanSpeedPercentage = *entered;
    save();
}

void SensorsViewController::addFanRules(Kit::Control&)
{
    QVAlertManager::showAddRulesAlert();
    const long index = static_cast<long>(fanRules.size());
    fanRules.push_back(FanRule {FanRule::anySensor, 0, "", 0});
    QVToolsKit::QVTableViewHelper::updateTableViewRow(fanRulesTableView, index, true);
    save();
}

void SensorsViewController::deleteFanRules(Kit::Control&)
{
    if (selectIndex != fanRulesTableView->selectedRow() || selectIndex < 0
        || selectIndex >= static_cast<long>(fanRules.size()))
        return;
    const long index = selectIndex;
    fanRules.erase(fanRules.begin() + index);
    save();
    QVToolsKit::QVTableViewHelper::updateTableViewRow(fanRulesTableView, index, false);
}

} // namespace Aerlo
