#include "Classes/Windows/FanControl/FanSpeedController.h"

#include "Classes/App/AppDelegate.h"
#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/App/QVUpdateManager.h"
#include "Classes/App/Utility.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/AppearanceManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/QVCustomButton.h"
#include "Classes/Views/QVSlider.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Box.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/SegmentedControl.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/ViewAnimator.h"
#include "Platform/Kit/Window.h"
#include "Platform/Kit/WindowAnimator.h"

#include <any>
#include <cmath>

namespace Aerlo {

namespace {

using Foundation::Console;

Foundation::UserDefaults& defaults()
{
    return Foundation::UserDefaults::standard();
}

Kit::Image chevron(bool up)
{
    Kit::Image image = Kit::Image::named(up ? "chevron.compact.up" : "chevron.compact.down");
    image.setSize({30, 10});
    image.setTemplate(true);
    return image;
}

const Kit::Colour boxFill = Kit::Colour::dynamic(Kit::Colour::fromRGB255(236, 236, 241),
    Kit::Colour::fromRGB255(44, 44, 50));
const Kit::Colour choiceFill = Kit::Colour::dynamic(Kit::Colour::whiteColor(), Kit::Colour::fromRGB255(62, 62, 68));

// A per-fan choice's state, shown at once.
void showChoice(QVCustomButton& button, bool on)
{
    button.setState(on ? Kit::StateValue::on : Kit::StateValue::off);
    button.updateStateAppearance();
}

} // namespace

FanSpeedController::FanSpeedController() = default;
FanSpeedController::~FanSpeedController() = default;

// --- building ---

std::shared_ptr<FanCustomButton> FanSpeedController::makeExpandButton(const Kit::Rect& frame,
    void (FanSpeedController::*action)(Kit::Control&))
{
    auto button = std::make_shared<FanCustomButton>(frame);
    button->setImage(chevron(false));
    button->setImagePosition(Kit::Button::ImagePosition::imageOnly);
    // It opens the fan's own mode box.
    button->setAccessibilityLabel(LocalizationTable::text("fan.modeBox.title"));
    button->setCornerRadius(frame.height() / 2);
    button->setAutoresizingMask(Kit::View::minYMargin);
    button->setAction({this, action});
    return button;
}

std::shared_ptr<Kit::Box> FanSpeedController::makeModeBox(const Kit::Rect& frame,
    std::shared_ptr<QVCustomButton>& automatic, std::shared_ptr<QVCustomButton>& manual,
    void (FanSpeedController::*toggle)(Kit::Control&))
{
    auto box = std::make_shared<Kit::Box>(frame);
    box->setBoxType(Kit::Box::BoxType::custom);
    box->setTitlePosition(Kit::Box::TitlePosition::noTitle);
    box->setBorderWidth(0);
    box->setCornerRadius(14);
    box->setFillColor(boxFill);
    box->setContentViewMargins({0, 0});
    box->setAutoresizingMask(Kit::View::minYMargin);
    box->setHidden(true);

    Kit::View& content = *box->contentView();
    content.addSubview(makeLabel({14, frame.height() - 26, frame.width() - 28, 16},
        LocalizationTable::text("fan.modeBox.title"), 11, Kit::Font::Weight::semibold, true));
    const double buttonWidth = (frame.width() - 14 * 2 - 10) / 2;
    const auto makeChoice = [&](std::shared_ptr<QVCustomButton>& button, const std::string& title, int tag, double x) {
        button = std::make_shared<QVCustomButton>(Kit::Rect {x, 10, buttonWidth, 30});
        button->setTitle(title);
        button->setTag(tag);
        button->setCornerRadius(9);
        button->setBackgroundColor(choiceFill);
        button->setActiveBackgroundColor(Kit::Colour::controlAccentColor());
        button->setTextColor(Kit::Colour::labelColor());
        button->setActiveTextColor(Kit::Colour::whiteColor());
        button->setAction({this, toggle});
        content.addSubview(button);
    };
    makeChoice(automatic, LocalizationTable::text("fan.mode.automatic"), 0, 14);
    makeChoice(manual, LocalizationTable::text("fan.mode.manual"), 1, 14 + buttonWidth + 10);
    showChoice(*automatic, true);
    showChoice(*manual, false);
    return box;
}

void FanSpeedController::loadView()
{
    auto panel = makePanelView({width, height});
    // The controls on a layer of their own, pinned to the panel's top: the boxes move them in its
    // coordinates while the window grows or shrinks around them.
    constexpr double layoutHeight = height + 2 * heightChange;
    auto layout = std::make_shared<Kit::View>(Kit::Rect {0, height - layoutHeight, width, layoutHeight});
    layout->setAutoresizingMask(Kit::View::minYMargin);
    panel->addSubview(layout);
    addHeader(*layout);

    const auto helperButton = [&](std::shared_ptr<QVCustomButton>& button, const std::string& title,
                                  void (FanSpeedController::*action)(Kit::Control&)) {
        button = std::make_shared<QVCustomButton>(fromTop(layoutHeight, width - 168, 16, 112, 26));
        button->setTitle(title);
        button->setFont(Kit::Font::systemFont(12, Kit::Font::Weight::medium));
        button->setCornerRadius(13);
        button->setBorderWidth(1);
        button->setBorderColor(Kit::Colour::controlAccentColor());
        button->setTextColor(Kit::Colour::controlAccentColor());
        button->setActiveTextColor(Kit::Colour::controlAccentColor());
        button->setAutoresizingMask(Kit::View::minYMargin);
        button->setAction({this, action});
        layout->addSubview(button);
    };
    helperButton(installFanControlHelper, LocalizationTable::text("helper.install"), &FanSpeedController::installFanHelper);
    helperButton(uninstallFanControlHelper, LocalizationTable::text("helper.uninstall"),
        &FanSpeedController::uninstallHelper);

    leftFanView = makeFanCard(fromTop(layoutHeight, 12, 94, width - 24, 120), LocalizationTable::text("Left fan"),
        leftFanImage, leftSpeedLabel, leftFanSlider, leftFanSpeedPercent, leftFanMinSpeedTextField,
        leftFanMaxSpeedTextField, &leftIcon);
    layout->addSubview(leftFanView);
    leftFanModeBox = makeModeBox(fromTop(layoutHeight, 12, 218, width - 24, 76), leftFanAutoModeButton,
        leftFanManualModeButton, &FanSpeedController::leftFanModeToggle);
    layout->addSubview(leftFanModeBox);
    leftExpandCollapseButton = makeExpandButton(fromTop(layoutHeight, (width - 44) / 2, 216, 44, 16),
        &FanSpeedController::leftFanExpandCollapseClicked);
    layout->addSubview(leftExpandCollapseButton);

    // The right fan's card with its expand button under it, moved as one.
    rightFanView = std::make_shared<Kit::View>(fromTop(layoutHeight, 12, 236, width - 24, 140));
    rightFanView->setAutoresizingMask(Kit::View::minYMargin);
    auto rightCard = makeFanCard({0, 20, width - 24, 120}, LocalizationTable::text("Right fan"), rightFanImage,
        rightSpeedLabel, rightFanSlider, rightFanSpeedPercent, rightFanSpeedMinTextField, rightFanSpeedMaxTextField,
        &rightIcon);
    rightFanView->addSubview(rightCard);
    rightExpandCollapseButton = makeExpandButton({(width - 24 - 44) / 2, 2, 44, 16},
        &FanSpeedController::rightFanExpandCollapseClicked);
    rightFanView->addSubview(rightExpandCollapseButton);
    layout->addSubview(rightFanView);
    rightFanModeBox = makeModeBox(fromTop(layoutHeight, 12, 381, width - 24, 76), rightFanAutoModeButton,
        rightFanManualModeButton, &FanSpeedController::rightFanModeToggle);
    layout->addSubview(rightFanModeBox);
    for (const auto& moved : std::initializer_list<std::shared_ptr<Kit::View>> {rightFanView, leftExpandCollapseButton,
             rightFanModeBox})
        restOrigins_.emplace_back(moved, moved->frame().origin);
    setView(panel);
}

void FanSpeedController::viewDidLoad()
{
    setUpCorners();
    updateMoreButtonImage();
    if (fanModeSegmented->selectedSegment() == 0)
        applySystemMode();
    connectSliders();
    if (defaults().boolValue(SettingsKey::isFansSync))
        sync();
    fillLimitLabels();
    addModeObservers();
    Foundation::NotificationCenter& centre = Foundation::NotificationCenter::defaultCenter();
    observers_.push_back(centre.addObserver(NotificationName::syncFansControl, nullptr,
        [this](const Foundation::Notification& n) { syncFanMode(n); }));
    observers_.push_back(centre.addObserver(NotificationName::fansModeToggle, nullptr,
        [this](const Foundation::Notification& n) { noSyncFanModeToggle(n); }));
    observers_.push_back(centre.addObserver(NotificationName::syncFans, nullptr,
        [this](const Foundation::Notification& n) {
            const auto value = n.userInfo.find("sync");
            const auto* text = value == n.userInfo.end() ? nullptr : std::any_cast<std::string>(&value->second);
            if (text && (*text == "true") != slidersSynced_)
                sync();
        }));
    updateHelperState();
}

std::vector<FanPanelController::FanSide> FanSpeedController::sides() const
{
    return {
        leftSide(),
        {1, "右边", &rightFanSpeed, &rightFanMinSpeed, &rightFanMaxSpeed, SettingsKey::rightFanPercent,
            SettingsKey::rightFanSpeedAfterDrag, SettingsKey::rightFanCurrentValue, SettingsKey::rightFanSliderValue,
            rightFanSlider.get(), rightFanSpeedPercent.get(), rightFanImage.get(), rightSpeedLabel.get(),
            rightFanSpeedMinTextField.get(), rightFanSpeedMaxTextField.get()},
    };
}

void FanSpeedController::viewWillAppear()
{
    FanPanelController::viewWillAppear();
    if (!appearanceObservation_)
        appearanceObservation_.emplace(Kit::Appearance::observeEffectiveApplication([this] { updateMoreButtonImage(); }));
}

void FanSpeedController::updateMoreButtonImage()
{
    bool dark = false;
    switch (AppearanceManager::currentAppearanceMode()) {
    case AppearanceManager::automatic: {
        const std::string name = Kit::Appearance::effectiveApplication().name();
        dark = name == Kit::Appearance::darkAquaName;
        break;
    }
    case AppearanceManager::dark:
        dark = true;
        break;
    default:
        break;
    }
    moreButton->setImage(Kit::Image::named(dark ? "more" : "more-dark"));
}

// --- modes ---

void FanSpeedController::applySystemMode()
{
    sendAutomatic();
}

void FanSpeedController::applyMaximumMode()
{
    applyMaximumBody();
}

void FanSpeedController::applyManualMode()
{
    sendStoredManualSpeeds();
}

void FanSpeedController::applyCustomMode()
{
    applySystemMode();
    isForcedMode = false;
    customFanModeFlag = true;
}

void FanSpeedController::showRulesAlert()
{
    QVAlertManager::showFanRulesAlert([this] { revertToCurrentMode(); }, [this] { revertToCurrentMode(); });
}

std::string_view FanSpeedController::automaticNotificationName() const
{
    return NotificationName::updateFanAutomatic;
}

// --- the slider drag ---

bool FanSpeedController::mayApplyDrag()
{
    return SMCHelper::shared()->isInstalled();
}

double FanSpeedController::dragRotationPeriod() const
{
    return fanIconRotationDuration;
}

// --- per-fan mode buttons ---

void FanSpeedController::placePercentLabel(Kit::TextField& label, std::int64_t percent)
{
    const Kit::Rect frame = label.frame();
    label.setFrame({percent > 50 ? 35.0 : 205.0, frame.y(), frame.width(), frame.height()});
    label.setTextColor(percent > 50 ? Kit::Colour::black().withAlphaComponent(0.7) : Kit::Colour::labelColor());
}

void FanSpeedController::leftFanModeToggle(Kit::Control& sender)
{
    perFanModeToggle(Side::left, sender);
}

void FanSpeedController::rightFanModeToggle(Kit::Control& sender)
{
    perFanModeToggle(Side::right, sender);
}

void FanSpeedController::perFanModeToggle(Side which, Kit::Control& sender)
{
    const bool left = which == Side::left;
    const FanSide side = sides()[left ? 0 : 1];
    QVCustomButton& automatic = left ? *leftFanAutoModeButton : *rightFanAutoModeButton;
    QVCustomButton& manual = left ? *leftFanManualModeButton : *rightFanManualModeButton;
    const bool forced = sender.tag() != 0;
    Foundation::UserInfo info {{"mode", std::string(forced ? "forced" : "automatic")}};
    if (forced) {
        Console::print("手动模式");
        showChoice(automatic, false);
        showChoice(manual, true);
        side.slider->setEnabled(true);
        SMCHelper::shared()->setFanMode(side.id, 1);
    } else {
        Console::print("自动模式");
        showChoice(automatic, true);
        showChoice(manual, false);
        side.slider->setDoubleValue(0.0);
        side.slider->setEnabled(false);
        (void)defaults().set(0.0, side.sliderValueKey);
        (void)defaults().set(std::int64_t {0}, side.percentKey);
        side.percentLabel->setStringValue(std::to_string(defaults().integer(side.percentKey)) + "%");
        SMCHelper::shared()->setFanMode(side.id, 0);
    }
    if (defaults().boolValue(SettingsKey::isFansSync)) {
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::syncFansControl, nullptr, info);
    } else {
        info["fan"] = std::string(left ? "left" : "right");
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::fansModeToggle, nullptr, info);
    }
    placePercentLabel(*side.percentLabel, defaults().integer(side.percentKey));
}

namespace {

std::string textIn(const Foundation::UserInfo& info, const std::string& key)
{
    const auto value = info.find(key);
    const auto* text = value == info.end() ? nullptr : std::any_cast<std::string>(&value->second);
    return text ? *text : std::string();
}

} // namespace

void FanSpeedController::syncFanMode(const Foundation::Notification& notification)
{
    const std::string mode = textIn(notification.userInfo, "mode");
    if (!defaults().boolValue(SettingsKey::isFansSync)) {
        Console::print("没有开启同步控制风扇");
        return;
    }
    if (mode == "forced" || mode == "automatic")
        applySyncedFanMode(mode == "forced");
}

void FanSpeedController::applySyncedFanMode(bool forced)
{
    for (const auto& button : {rightFanAutoModeButton, leftFanAutoModeButton})
        showChoice(*button, !forced);
    for (const auto& button : {rightFanManualModeButton, leftFanManualModeButton})
        showChoice(*button, forced);
    if (!forced) {
        for (const FanSide& side : sides()) {
            side.slider->setEnabled(false);
            side.slider->setDoubleValue(0.0);
            (void)defaults().set(0.0, side.sliderValueKey);
            (void)defaults().set(std::int64_t {0}, side.percentKey);
        }
        const std::int64_t percent = defaults().integer(SettingsKey::leftFanPercent);
        for (const FanSide& side : sides()) {
            placePercentLabel(*side.percentLabel, percent);
            side.percentLabel->setStringValue(std::to_string(percent) + "%");
        }
    } else {
        setSlidersEnabled(true);
    }
    SMCHelper::shared()->setFanMode(0, forced ? 1 : 0);
    SMCHelper::shared()->setFanMode(1, forced ? 1 : 0);
    for (const auto& icon : {leftIcon, rightIcon})
        icon->setImage(Kit::Image::named(forced ? "fan.fill" : "fan.slash.fill"));
}

void FanSpeedController::noSyncFanModeToggle(const Foundation::Notification& notification)
{
    const std::string mode = textIn(notification.userInfo, "mode");
    const std::string fan = textIn(notification.userInfo, "fan");
    if ((mode != "forced" && mode != "automatic") || (fan != "left" && fan != "right"))
        return;
    (fan == "left" ? leftIcon : rightIcon)->setImage(
        Kit::Image::named(mode == "forced" ? "fan.fill_gray" : "fan.slash.fill_gray"));
}

void FanSpeedController::sync()
{
    slidersSynced_ = defaults().boolValue(SettingsKey::isFansSync);
    if (!slidersSynced_) {
        Console::print("不同步控制风扇");
        connectSliders();
        return;
    }
    Console::print("同步控制左、右风扇");
    const auto wire = [this](QVSlider& slider, QVSlider& other) {
        std::weak_ptr<Kit::View> weakOther = other.shared_from_this();
        slider.valueChangedHandler = [this, weakOther](double value) {
            if (auto peer = std::dynamic_pointer_cast<QVSlider>(weakOther.lock()))
                peer->setDoubleValue(value);
            applySyncedSliderValue(value);
        };
    };
    wire(*leftFanSlider, *rightFanSlider);
    wire(*rightFanSlider, *leftFanSlider);
    leftFanSlider->setDoubleValue(rightFanSlider->doubleValue());
}

void FanSpeedController::applySyncedSliderValue(double value)
{
    const int percent = static_cast<int>(std::trunc(100 * value));
    const long rpm = truncatedRPM(value * (leftFanMaxSpeed - leftFanMinSpeed) + leftFanMinSpeed);
    SMCHelper::shared()->setFanSpeed(0, rpm);
    SMCHelper::shared()->setFanSpeed(1, rpm);
    const double v = position(static_cast<double>(rpm), leftFanMinSpeed, leftFanMaxSpeed);
    const std::vector<FanSide> both = sides();
    if (defaults().boolValue(SettingsKey::isFansSync))
        for (const FanSide& side : both) {
            (void)defaults().set(std::int64_t {percent}, side.percentKey);
            (void)defaults().set(v, side.sliderValueKey);
        }
    for (const FanSide& side : both)
        side.percentLabel->setStringValue(std::to_string(percent) + "%");
}

void FanSpeedController::showPerFanAutomatic()
{
    for (const auto& button : {leftFanAutoModeButton, rightFanAutoModeButton})
        showChoice(*button, true);
    for (const auto& button : {leftFanManualModeButton, rightFanManualModeButton})
        showChoice(*button, false);
}

// --- the helper ---

void FanSpeedController::postHelperState(bool state)
{
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::fanHelperState, nullptr,
        {{"state", state}});
}

void FanSpeedController::installFanHelper(Kit::Control&)
{
    Console::print("安装风扇控制程序Helper");
    SMCHelper::shared()->installHelper([](bool success) {
        if (success)
            postHelperState(true);
    });
}

void FanSpeedController::uninstallHelper(Kit::Control&)
{
    confirmUninstallHelper();
}

void FanSpeedController::confirmUninstallHelper()
{
    Console::print("开始卸载风扇控制程序Helper");
    if (!Utility::confirm(LocalizationTable::text("alert.unInstallFansHelper.title"), "")) {
        Console::print("用户点击了取消");
        return;
    }
    Console::print("用户点击了确定");
    SMCHelper::shared()->uninstall(false);
    foldModeBoxes();
    if (auto delegate = AppDelegate::applicationDelegate().lock())
        delegate->closeFanSpeedWindow();
}

void FanSpeedController::changeHelperState(const Foundation::Notification& notification)
{
    const auto state = notification.userInfo.find("state");
    const bool* installed = state == notification.userInfo.end() ? nullptr : std::any_cast<bool>(&state->second);
    Console::print(std::string("风扇控制程序安装状态: ") + (installed && *installed ? "true" : "false"));
    updateHelperState(installed ? std::optional<bool>(*installed) : std::nullopt);
    FanPanelController::changeHelperState(notification);
}

void FanSpeedController::updateHelperState(std::optional<bool> installed)
{
    const bool isInstalled = installed ? *installed : SMCHelper::shared()->isInstalled();
    installFanControlHelper->setHidden(isInstalled);
    uninstallFanControlHelper->setHidden(!isInstalled);
    rightExpandCollapseButton->setHidden(!isInstalled);
    leftExpandCollapseButton->setHidden(!isInstalled);
    if (isInstalled) {
        Console::print("已安装");
        Console::print("这里隐藏，安装Helper按钮");
    } else {
        Console::print("未安装");
        Console::print("显示，安装Helper按钮");
    }
}

// --- the mode boxes ---

void FanSpeedController::leftFanExpandCollapseClicked(Kit::Control& sender)
{
    expandOrCollapse(Side::left, sender);
}

void FanSpeedController::rightFanExpandCollapseClicked(Kit::Control& sender)
{
    expandOrCollapse(Side::right, sender);
}

void FanSpeedController::resizeWindow(int expandedBoxes)
{
    Kit::Window* window = view()->window();
    if (!window)
        return;
    // The top edge stays while both edges move together, so it can be read at any time.
    const double top = window->frame().maxY();
    const double newHeight = collapsedWindowHeight_ + heightChange * expandedBoxes;
    window->animator().setFrame({window->frame().x(), top - newHeight, window->frame().width(), newHeight}, true);
}

void FanSpeedController::expandOrCollapse(Side which, Kit::Control& sender)
{
    // One animation at a time: the frames are never read while one runs.
    if (isAnimationRunning)
        return;
    isAnimationRunning = true;
    const bool left = which == Side::left;
    const bool collapsing = left ? isExpandedLeft : isExpandedRight;
    const double d = collapsing ? heightChange : -heightChange;
    Console::print(collapsing ? (left ? "收起" : "右边收起") : "展开");
    if (auto* button = dynamic_cast<Kit::Button*>(&sender))
        button->setImage(chevron(!collapsing));

    const auto moveBy = [](Kit::View& view, double dy) {
        view.animator().setFrameOrigin(view.frame().offsetBy(0, dy).origin);
    };
    if (left) {
        moveBy(*rightFanView, d);
        moveBy(*leftExpandCollapseButton, d);
        if (isExpandedRight)
            moveBy(*rightFanModeBox, d);
    } else if (isExpandedLeft) {
        moveBy(*rightFanModeBox, collapsing ? rightBoxShift : -rightBoxShift);
    }
    const int before = int(isExpandedLeft) + int(isExpandedRight);
    const int after = before + (collapsing ? -1 : 1);
    if (Kit::Window* window = view()->window())
        collapsedWindowHeight_ = window->frame().height() - heightChange * before;
    std::shared_ptr<Kit::Box> box = left ? leftFanModeBox : rightFanModeBox;
    const unsigned generation = animationGeneration_;
    Kit::AnimationContext::runAnimationGroup(
        [&](Kit::AnimationContext& context) {
            context.setDuration(animationDuration);
            Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + 0.01,
                [this, alive = std::weak_ptr<int>(lifetime_), box, collapsing, generation] {
                    if (!alive.expired() && generation == animationGeneration_)
                        box->animator().setHidden(collapsing);
                });
            resizeWindow(after);
        },
        [this, alive = std::weak_ptr<int>(lifetime_), left, generation] {
            // A fold in between has settled everything already.
            if (alive.expired() || generation != animationGeneration_)
                return;
            if (left)
                isExpandedLeft = !isExpandedLeft;
            else
                isExpandedRight = !isExpandedRight;
            isAnimationRunning = false;
        });
}

void FanSpeedController::foldModeBoxes()
{
    if (isExpandedLeft && isExpandedRight)
        Console::print("--------左、右都已展开---------");
    else if (isExpandedRight)
        Console::print("--------右边已展开---------");
    else if (isExpandedLeft)
        Console::print("--------左边已展开---------");
    else
        Console::print("--------没展开---------");
    if (!isExpandedLeft && !isExpandedRight && !isAnimationRunning)
        return;
    // Everything at its folded place at once, replacing whatever still moves.
    ++animationGeneration_;
    Kit::AnimationContext::runAnimationGroup([&](Kit::AnimationContext& context) {
        context.setDuration(0);
        for (auto& [moved, origin] : restOrigins_)
            moved->animator().setFrameOrigin(origin);
        leftFanModeBox->animator().setHidden(true);
        rightFanModeBox->animator().setHidden(true);
        resizeWindow(0);
    });
    for (const auto& button : {leftExpandCollapseButton, rightExpandCollapseButton})
        button->setImage(chevron(false));
    isExpandedLeft = false;
    isExpandedRight = false;
    isAnimationRunning = false;
}

void FanSpeedController::updateApp()
{
    if (auto delegate = AppDelegate::applicationDelegate().lock())
        delegate->closeFanSpeedWindow();
    QVUpdateManager::shared().checkForUpdates(nullptr);
}

} // namespace Aerlo
