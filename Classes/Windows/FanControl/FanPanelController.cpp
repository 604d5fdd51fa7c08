#include "Classes/Windows/FanControl/FanPanelController.h"

#include "Classes/App/AppDelegate.h"
#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/SystemKit/QVSystemHardwareInfo.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorValueText.h"
#include "Classes/Views/FanSpeedReadout.h"
#include "Classes/Views/QVSlider.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/SegmentedControl.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "Platform/System/ProcessInfo.h"
#include "Platform/System/Workspace.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "QVToolsKit/UI/SmoothCorner.h"
#include "QVToolsKit/UI/ViewAnimations.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace Aerlo {

namespace {

using Foundation::Console;

Foundation::UserDefaults& defaults()
{
    return Foundation::UserDefaults::standard();
}

std::int64_t roundedLimit(double value)
{
    return std::isfinite(value) ? static_cast<std::int64_t>(std::round(value)) : -1;
}

// The panel's and the cards' fills, light and dark.
const Kit::Colour panelFill = Kit::Colour::dynamic(Kit::Colour::fromRGB255(246, 246, 248),
    Kit::Colour::fromRGB255(36, 36, 40));
const Kit::Colour cardFill = Kit::Colour::dynamic(Kit::Colour::whiteColor(), Kit::Colour::fromRGB255(52, 52, 58));
const Kit::Colour cardBorder = Kit::Colour::dynamic(Kit::Colour::black().withAlphaComponent(0.06),
    Kit::Colour::whiteColor().withAlphaComponent(0.08));

// Readable on the bar's fill and on its track alike.
const Kit::Colour percentColour = Kit::Colour::dynamic(Kit::Colour::black().withAlphaComponent(0.7),
    Kit::Colour::fromRGB255(150, 150, 158));

} // namespace

FanPanelController::~FanPanelController() = default;

// --- text and pictures ---

double FanPanelController::position(double speed, double min, double max)
{
    // An empty range divides by zero: a speed above it is a full position, one at it none.
    const double p = (speed - min) / (max - min);
    if (std::isnan(p))
        return 0.0;
    return std::clamp(p, 0.0, 1.0);
}

long FanPanelController::truncatedRPM(double value)
{
    return std::isfinite(value) ? static_cast<long>(std::trunc(value)) : 0;
}

std::string FanPanelController::percentText(double position)
{
    if (!(position > 0))
        return "0%";
    return std::to_string(static_cast<long>(std::trunc(100 * position))) + "%";
}

std::string FanPanelController::limitText(double limit)
{
    return std::to_string(roundedLimit(limit));
}

std::string FanPanelController::describe(double value)
{
    return Foundation::NumberText::shortest(value);
}

void FanPanelController::spin(Kit::View& image, long speed, double period)
{
    FanSpeedReadout::spin(image, speed, period);
}

// --- building ---

Kit::Rect FanPanelController::fromTop(double height, double x, double top, double width, double rowHeight)
{
    return {x, height - top - rowHeight, width, rowHeight};
}

std::shared_ptr<Kit::TextField> FanPanelController::makeLabel(const Kit::Rect& frame, const std::string& text,
    double size, double weight, bool secondary)
{
    auto label = Kit::TextField::labelWithString(text);
    label->setFrame(frame);
    label->setFont(Kit::Font::monospacedDigitSystemFont(size, weight));
    label->setTextColor(secondary ? Kit::Colour::secondaryLabelColor() : Kit::Colour::labelColor());
    label->setAutoresizingMask(Kit::View::minYMargin);
    return label;
}

std::shared_ptr<Kit::View> FanPanelController::makePanelView(Kit::Size size)
{
    auto panel = std::make_shared<Kit::View>(Kit::Rect {{0, 0}, size});
    panel->setWantsLayer(true);
    panel->layer().setBackgroundColor(panelFill);
    return panel;
}

void FanPanelController::addHeader(Kit::View& panel)
{
    const double width = panel.frame().width();
    const double height = panel.frame().height();
    auto title = makeLabel(fromTop(height, 22, 18, 150, 22), "Aerlo", 16, Kit::Font::Weight::bold);
    panel.addSubview(title);
    // Under the title, while the sensors cannot be read.
    sensorsNote_ = makeLabel(fromTop(height, 22, 40, width - 44, 13), LocalizationTable::text("sensors.unreadable"), 10,
                             Kit::Font::Weight::medium, true);
    sensorsNote_->setHidden(true);
    panel.addSubview(sensorsNote_);

    moreButton = std::make_shared<Kit::Button>(fromTop(height, width - 48, 16, 26, 26));
    moreButton->setBordered(false);
    moreButton->setImagePosition(Kit::Button::ImagePosition::imageOnly);
    moreButton->setAutoresizingMask(Kit::View::minYMargin);
    moreButton->setAction({this, &FanPanelController::moreBtnClickted});
    moreButton->setAccessibilityLabel(LocalizationTable::text("panel.more"));
    panel.addSubview(moreButton);

    fanModeSegmented = Kit::SegmentedControl::withLabels({LocalizationTable::text("fanMode.system"),
        LocalizationTable::text("fanMode.maximum"), LocalizationTable::text("fanMode.manual"),
        LocalizationTable::text("fanMode.custom")});
    fanModeSegmented->setFrame(fromTop(height, 16, 54, width - 32, 26));
    fanModeSegmented->setSelectedSegment(0);
    fanModeSegmented->setAutoresizingMask(Kit::View::minYMargin);
    fanModeSegmented->setAction({[this](Kit::Control& sender) { fanModeToggle(sender); }});
    fanModeSegmented->setAccessibilityLabel(LocalizationTable::text("fanMode.title"));
    panel.addSubview(fanModeSegmented);
}

std::shared_ptr<Kit::View> FanPanelController::makeFanCard(const Kit::Rect& frame, const std::string& title,
    std::shared_ptr<Kit::ImageView>& image, std::shared_ptr<Kit::TextField>& speedLabel,
    std::shared_ptr<QVSlider>& slider, std::shared_ptr<Kit::TextField>& percent,
    std::shared_ptr<Kit::TextField>& minLabel, std::shared_ptr<Kit::TextField>& maxLabel,
    std::shared_ptr<Kit::ImageView>* icon)
{
    auto card = std::make_shared<Kit::View>(frame);
    card->setWantsLayer(true);
    card->layer().setBackgroundColor(cardFill);
    card->layer().setCornerRadius(16);
    card->layer().setBorderColor(cardBorder);
    card->layer().setBorderWidth(1);
    card->setAutoresizingMask(Kit::View::minYMargin);
    const double width = frame.width();

    image = FanSpeedReadout::makeFanImage({16, 58, 48, 48});
    card->addSubview(image);

    auto name = makeLabel({78, 86, 140, 18}, title, 13, Kit::Font::Weight::semibold);
    card->addSubview(name);
    if (icon) {
        Kit::Image gray = Kit::Image::named("fan.slash.fill_gray");
        *icon = std::make_shared<Kit::ImageView>(Kit::Rect {width - 34, 86, 18, 18});
        (*icon)->setImage(gray);
        (*icon)->setImageScaling(Kit::ImageView::ImageScaling::proportionallyUpOrDown);
        card->addSubview(*icon);
    }
    speedLabel = makeLabel({78, 58, 90, 26}, "0", 22, Kit::Font::Weight::bold);
    card->addSubview(speedLabel);
    card->addSubview(makeLabel({160, 62, 60, 16}, "RPM", 11, Kit::Font::Weight::medium, true));

    slider = makeFromStoryboard<QVSlider>(Kit::Rect {14, 26, width - 28, 24});
    slider->setAutoresizingMask(Kit::View::notSizable);
    slider->setAccessibilityLabel(title);
    card->addSubview(slider);
    // Over the bar, opposite the knob; clicks on it reach the slider.
    percent = makeLabel({205, 3, 56, 16}, "0%", 11, Kit::Font::Weight::semibold);
    percent->setTextColor(percentColour);
    percent->setAutoresizingMask(Kit::View::notSizable);
    slider->addSubview(percent);

    minLabel = makeLabel({16, 8, 80, 14}, "0", 10, Kit::Font::Weight::regular, true);
    maxLabel = makeLabel({width - 96, 8, 80, 14}, "0", 10, Kit::Font::Weight::regular, true);
    maxLabel->setAlignment(Kit::TextAlignment::right);
    card->addSubview(minLabel);
    card->addSubview(maxLabel);
    return card;
}

FanPanelController::FanSide FanPanelController::leftSide() const
{
    return {0, "左边", &leftFanSpeed, &leftFanMinSpeed, &leftFanMaxSpeed, SettingsKey::leftFanPercent,
        SettingsKey::leftFanSpeedAfterDrag, SettingsKey::leftFanCurrentValue, SettingsKey::leftFanSliderValue,
        leftFanSlider.get(), leftFanSpeedPercent.get(), leftFanImage.get(), leftSpeedLabel.get(),
        leftFanMinSpeedTextField.get(), leftFanMaxSpeedTextField.get()};
}

// --- set-up and appearance ---

void FanPanelController::setUpCorners()
{
    QVToolsKit::setSmoothCorner(*view(), 24, 24, 24, 24);
    if (SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(26, 0, 0))
        for (const FanSide& side : sides())
            side.percentLabel->setFrame(side.percentLabel->frame().offsetBy(0, -9));
}

void FanPanelController::fillLimitLabels()
{
    for (const FanSide& side : sides()) {
        side.minLabel->setStringValue(limitText(*side.minSpeed));
        side.maxLabel->setStringValue(limitText(*side.maxSpeed));
    }
}

void FanPanelController::connectSliders()
{
    for (const FanSide& side : sides()) {
        side.slider->setContinuous(true);
        const int id = side.id;
        std::weak_ptr<Kit::View> weakSlider = side.slider->shared_from_this();
        side.slider->valueChangedHandler = [this, id, weakSlider](double value) {
            if (weakSlider.expired())
                return;
            for (const FanSide& each : sides())
                if (each.id == id)
                    applyFanSliderValue(each, value);
        };
    }
}

void FanPanelController::addModeObservers()
{
    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    observers_.push_back(centre.addObserver(NotificationName::fansController, nullptr,
        [this](const Foundation::Notification& n) { handleFansControllerNotification(n); }));
    observers_.push_back(centre.addObserver(automaticNotificationName(), nullptr,
        [this](const Foundation::Notification&) { toggleFanModeisAutomatic(); }));
    for (std::string_view name : {NotificationName::systemFanMode, NotificationName::maximumFanMode,
             NotificationName::manualFanMode, NotificationName::customFanMode})
        observers_.push_back(centre.addObserver(name, nullptr,
            [this](const Foundation::Notification& n) { handleFanModeNotification(n); }));
    observers_.push_back(centre.addObserver(NotificationName::fanHelperState, nullptr,
        [this](const Foundation::Notification& n) { changeHelperState(n); }));
}

void FanPanelController::viewWillAppear()
{
    Console::print(std::string(className()) + " 即将加入窗口时");
    if (Kit::Window* window = view()->window())
        window->setMovableByWindowBackground(false);
}

void FanPanelController::viewWillDisappear()
{
    Console::print("移除" + std::string(className()));
}

// --- modes ---

void FanPanelController::chipTest()
{
    if (QVSystemHardwareInfo::cpuMatchesChipKeyword())
        QVAlertManager::showChipTipsAlert();
}

void FanPanelController::trackEvent(std::string_view name)
{
    Vendors::MSACAnalytics::trackEvent(name);
}

void FanPanelController::storeSegment(long segment)
{
    (void)defaults().set(std::int64_t {segment}, SettingsKey::fanModeSelectedSegment);
}

void FanPanelController::revertToCurrentMode()
{
    fanModeSegmented->setSelectedSegment(static_cast<long>(currentFanMode));
    customFanModeFlag = false;
}

void FanPanelController::setSlidersEnabled(bool enabled)
{
    for (const FanSide& side : sides())
        side.slider->setEnabled(enabled);
}

void FanPanelController::sendAutomatic()
{
    for (const FanSide& side : sides())
        SMCHelper::shared()->setFanMode(side.id, 0);
    setSlidersEnabled(false);
}

void FanPanelController::sendMaximumSpeeds()
{
    std::vector<FanSide> forced;
    for (const FanSide& side : sides()) {
        if (*side.maxSpeed > *side.minSpeed)
            forced.push_back(side);
        else
            Console::print("风扇 " + std::to_string(side.id) + " 的最大转速不可读 (" + limitText(*side.maxSpeed)
                + ")，不强制该风扇");
    }
    for (const FanSide& side : forced)
        SMCHelper::shared()->setFanMode(side.id, 1);
    for (const FanSide& side : forced)
        SMCHelper::shared()->setFanSpeed(side.id, roundedLimit(*side.maxSpeed));
}

void FanPanelController::chooseSystemBody()
{
    chipTest();
    customFanModeFlag = false;
    sendAutomatic();
    isForcedMode = false;
    trackEvent("更改风扇模式为：系统模式");
}

void FanPanelController::applyMaximumBody()
{
    chipTest();
    customFanModeFlag = false;
    setSlidersEnabled(false);
    isForcedMode = false;
    sendMaximumSpeeds();
    trackEvent("更改风扇模式为：最大转速");
}

void FanPanelController::chooseManualBody()
{
    chipTest();
    customFanModeFlag = false;
    isForcedMode = true;
    sendStoredManualSpeeds();
    trackEvent("更改风扇模式为：手动模式");
}

void FanPanelController::chooseCustomBody(bool userChosen)
{
    chipTest();
    if (!QVFanRulesManager::loadFanRules().empty()) {
        sendAutomatic();
        isForcedMode = false;
        customFanModeFlag = true;
        trackEvent("更改风扇模式为：自定义模式");
    } else if (userChosen) {
        showRulesAlert();
    }
}

void FanPanelController::sendStoredManualSpeeds()
{
    const std::vector<FanSide> all = sides();
    for (const FanSide& side : all)
        SMCHelper::shared()->setFanMode(side.id, 1);
    setSlidersEnabled(true);
    std::vector<double> positions;
    for (const FanSide& side : all) {
        const std::int64_t rpm = defaults().integer(side.speedAfterDragKey);
        SMCHelper::shared()->setFanSpeed(side.id, rpm);
        positions.push_back(position(static_cast<double>(rpm), *side.minSpeed, *side.maxSpeed));
    }
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i].slider->setDoubleValue(positions[i]);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i].percentLabel->setStringValue(percentText(positions[i]));
}

void FanPanelController::fanModeToggle(Kit::Control&)
{
    const long segment = fanModeSegmented->selectedSegment();
    switch (segment) {
    case 0:
        currentFanMode = CurrentFanMode::auto_;
        chooseSystem();
        break;
    case 1:
        currentFanMode = CurrentFanMode::max;
        chooseMaximum();
        break;
    case 2:
        currentFanMode = CurrentFanMode::forced;
        chooseManual();
        break;
    case 3:
        chooseCustom(true);
        break;
    default:
        break;
    }
    storeSegment(segment);
}

void FanPanelController::chooseModeByNotification(const Foundation::Notification& notification)
{
    const std::string& name = notification.name;
    // The mode in force follows the notification too, so that a refused custom choice returns to it.
    if (name == NotificationName::systemFanMode) {
        fanModeSegmented->setSelectedSegment(0);
        currentFanMode = CurrentFanMode::auto_;
        chooseSystem();
    } else if (name == NotificationName::maximumFanMode) {
        fanModeSegmented->setSelectedSegment(1);
        currentFanMode = CurrentFanMode::max;
        chooseMaximum();
    } else if (name == NotificationName::manualFanMode) {
        fanModeSegmented->setSelectedSegment(2);
        currentFanMode = CurrentFanMode::forced;
        chooseManual();
    } else if (name == NotificationName::customFanMode) {
        fanModeSegmented->setSelectedSegment(3);
        chooseCustom(false);
    }
}

void FanPanelController::toggleFanModeisAutomatic()
{
    if (!defaults().object(SettingsKey::fanModeSelectedSegment))
        fanModeSegmented->setSelectedSegment(0);
}

void FanPanelController::changeHelperState(const Foundation::Notification& notification)
{
    const auto state = notification.userInfo.find("state");
    const bool* installed = state == notification.userInfo.end() ? nullptr : std::any_cast<bool>(&state->second);
    if (installed && !*installed)
        showSystemModeInForce();
}

void FanPanelController::showSystemModeInForce()
{
    fanModeSegmented->setSelectedSegment(0);
    currentFanMode = CurrentFanMode::auto_;
    customFanModeFlag = false;
    isForcedMode = false;
    setSlidersEnabled(false);
    showPerFanAutomatic();
}

void FanPanelController::showForcedModeInForce()
{
    // The fans keep the target they were last given: at their maximum, or at a speed of their own.
    if (currentFanMode != CurrentFanMode::max) {
        fanModeSegmented->setSelectedSegment(2);
        currentFanMode = CurrentFanMode::forced;
    }
    customFanModeFlag = false;
    isForcedMode = true;
    setSlidersEnabled(false);
}

// --- the speed notification ---

void FanPanelController::handleFansControllerNotification(const Foundation::Notification& notification)
{
    if (notification.name != NotificationName::fansController)
        return;
    const auto notified = FanSpeedReadout::speeds(notification.userInfo, requiredSpeedKeys(), missingSpeedLine());
    if (!notified)
        return;
    const std::vector<long>& speeds = *notified;
    // The limits as they are now, for the display update queued below.
    const std::vector<FanSide> all = sides();
    std::vector<double> positions;
    for (std::size_t i = 0; i < all.size() && i < speeds.size(); ++i)
        positions.push_back(position(static_cast<double>(speeds[i]), *all[i].minSpeed, *all[i].maxSpeed));
    if (recordsSpeedsInSystemMode() && currentFanMode == CurrentFanMode::auto_)
        for (std::size_t i = 0; i < all.size() && i < speeds.size(); ++i)
            *all[i].speed = static_cast<double>(speeds[i]);
    Foundation::DispatchQueue::main().async([this, alive = std::weak_ptr<int>(lifetime_), speeds, positions] {
        if (!alive.expired())
            updateDisplay(speeds, positions);
    });
}

void FanPanelController::showSensorsUnreadable(bool unreadable)
{
    if (sensorsNote_)
        sensorsNote_->setHidden(!unreadable);
    if (!unreadable)
        return; // the next speeds come with the next tick
    for (const FanSide& side : sides()) {
        spin(*side.image, 0, notifiedRotationPeriod());
        side.speedLabel->setStringValue(std::string(SensorValueText::placeholder));
    }
}

void FanPanelController::reapplyShownMode()
{
    static constexpr std::string_view modes[] = {NotificationName::systemFanMode, NotificationName::maximumFanMode,
                                                 NotificationName::manualFanMode, NotificationName::customFanMode};
    const long segment = fanModeSegmented ? fanModeSegmented->selectedSegment() : -1;
    if (segment >= 0 && segment < 4)
        Foundation::NotificationCenter::defaultCenter().post(modes[segment]);
}

void FanPanelController::updateDisplay(const std::vector<long>& speeds, const std::vector<double>& positions)
{
    const std::vector<FanSide> all = sides();
    const double period = notifiedRotationPeriod();
    for (std::size_t i = 0; i < all.size() && i < speeds.size(); ++i) {
        spin(*all[i].image, speeds[i], period);
        all[i].speedLabel->setStringValue(std::to_string(speeds[i]));
    }
    if (isForcedMode)
        return;
    for (std::size_t i = 0; i < all.size() && i < positions.size(); ++i) {
        all[i].slider->setDoubleValue(positions[i]);
        all[i].percentLabel->setStringValue(percentText(positions[i]));
    }
}

// --- the slider drag ---

void FanPanelController::applyFanSliderValue(const FanSide& side, double value)
{
    side.slider->setDoubleValue(value);
    Console::print(std::string(side.printedName) + "风扇滑块: " + describe(value));
    if (!mayApplyDrag())
        return;
    const int percent = static_cast<int>(std::trunc(100 * value));
    printDragProgress(percent);
    SMCHelper::shared()->setFanMode(side.id, 1);
    (void)defaults().set(std::int64_t {percent}, side.percentKey);
    side.percentLabel->setStringValue(std::to_string(percent) + "%");
    const double min = *side.minSpeed;
    const double max = *side.maxSpeed;
    const long rpm = truncatedRPM(side.slider->doubleValue() * (max - min) + min);
    printDraggedSpeed(rpm);
    (void)defaults().set(std::int64_t {rpm}, side.speedAfterDragKey);
    SMCHelper::shared()->setFanSpeed(side.id, rpm);
    (void)defaults().set(std::int64_t {rpm}, side.currentValueKey);
    const double v = position(static_cast<double>(rpm), min, max);
    Console::print("---- 风扇取值范围0-1: " + describe(v));
    (void)defaults().set(v, side.sliderValueKey);

    std::vector<long> lastSpeeds;
    for (const FanSide& each : sides())
        lastSpeeds.push_back(std::isfinite(*each.speed) ? std::lround(*each.speed) : 0);
    Console::print("收到左边风扇转速: " + std::to_string(std::isfinite(leftFanSpeed) ? std::lround(leftFanSpeed) : 0));
    Console::print("收到右边风扇转速: " + std::to_string(std::isfinite(rightFanSpeed) ? std::lround(rightFanSpeed) : 0));
    const double period = dragRotationPeriod();
    Foundation::DispatchQueue::main().async([this, alive = std::weak_ptr<int>(lifetime_), lastSpeeds, period] {
        if (alive.expired())
            return;
        const std::vector<FanSide> all = sides();
        for (std::size_t i = 0; i < all.size() && i < lastSpeeds.size(); ++i)
            spin(*all[i].image, lastSpeeds[i], period);
    });
}

// --- the more menu, quit, support ---

void FanPanelController::moreBtnClickted(Kit::Control& sender)
{
    auto menu = std::make_shared<Kit::Menu>();
    menu->addItem(LocalizationTable::text("statusBar.title.setting"), {[this](Kit::MenuItem&) { settingsButtonClicked(); }},
        ",");
    menu->addItem(LocalizationTable::text("statusBar.title.userSupport"), {[this](Kit::MenuItem&) { openUserSupport(); }});
    menu->addItem(LocalizationTable::text("statusBar.title.update"), {[this](Kit::MenuItem&) { updateApp(); }});
    menu->addItem(LocalizationTable::text("statusBar.title.quit"), {[this](Kit::MenuItem&) { quitAppButtonClicked(); }},
        "q");
    for (const auto& item : menu->items())
        item->setTarget(this);
    moreMenu_ = menu;
    const Kit::Rect frame = sender.frame();
    menu->popUp(nullptr, {frame.x() + frame.width(), frame.y()}, sender.superview());
}

void FanPanelController::settingsButtonClicked()
{
    if (auto delegate = AppDelegate::applicationDelegate().lock()) {
        delegate->closeFanSpeedWindow();
        delegate->openSettings();
    }
}

void FanPanelController::quitAppButtonClicked()
{
    SMCHelper::shared()->setFanMode(0, 0);
    if (fanCount >= 2)
        SMCHelper::shared()->setFanMode(1, 0);
    Kit::Application::shared().terminate();
}

void FanPanelController::openUserSupport()
{
    const auto url = Foundation::URL::string(supportAddress);
    if (!url)
        return;
    if (SystemPlatform::Workspace::shared().open(*url))
        Console::print("default browser was successfully opened");
    if (auto delegate = AppDelegate::applicationDelegate().lock())
        delegate->closeFanSpeedWindow();
}

} // namespace Aerlo
