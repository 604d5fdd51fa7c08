#include "Classes/App/AppDelegate.h"

#include "Classes/App/QVStatusBarView.h"
#include "Classes/App/StatusItemUpdating.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Sensors/SMCManager.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Saturating.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/StatusBar.h"
#include "QVToolsKit/UI/ViewAnimations.h"

namespace Aerlo {

namespace {

using Foundation::Console;

bool setting(std::string_view key)
{
    return Foundation::UserDefaults::standard().boolValue(key);
}

bool showsFahrenheit()
{
    return Foundation::UserDefaults::standard().integer(SettingsKey::temperatureUnitIndex) != 0;
}

// A text is drawn again only when it changed: the tick sets the same texts most seconds.
void setText(StatusBarText& text, std::string value)
{
    if (text.stringValue == value)
        return;
    text.stringValue = std::move(value);
    text.setNeedsDisplay();
}

// The control tick's view of the status item, backed by the delegate's item and view.
class StatusItemForwarder final : public StatusItemUpdating {
public:
    explicit StatusItemForwarder(std::weak_ptr<AppDelegate> delegate) : delegate_(std::move(delegate)) {}

    void updateStatusBar(int leftSpeed, int rightSpeed) override
    {
        if (auto delegate = delegate_.lock())
            delegate->refreshStatusBar(leftSpeed, rightSpeed);
    }
    void hideFanSpeedTexts() override
    {
        if (QVStatusBarView* view = statusBarView()) {
            view->leftFanSpeedText->setHidden(true);
            view->rightFanSpeedText->setHidden(true);
            view->arrange(false);
        }
    }
    void setStatusItemWidth(double width) override
    {
        if (auto delegate = delegate_.lock())
            delegate->setStatusItemWidth(width);
    }
    void showTemperatureText(const std::string& text, bool oneFanLayout) override
    {
        if (QVStatusBarView* view = statusBarView()) {
            view->temperatureText->setHidden(false);
            if (oneFanLayout)
                view->layout();
            setText(*view->temperatureText, text);
        }
    }
    void hideTemperatureText() override
    {
        if (QVStatusBarView* view = statusBarView())
            view->temperatureText->setHidden(true);
    }
    void setToolTip(const std::string& text) override
    {
        auto delegate = delegate_.lock();
        if (delegate && delegate->statusBarItem)
            delegate->statusBarItem->button()->setToolTip(text);
    }

private:
    QVStatusBarView* statusBarView() const
    {
        auto delegate = delegate_.lock();
        return delegate ? delegate->statusBarView.get() : nullptr;
    }

    std::weak_ptr<AppDelegate> delegate_;
};

} // namespace

void AppDelegate::setUpStatusItem()
{
    statusBarItem = Kit::StatusBar::system().statusItem(Kit::StatusItem::variableLength);
    statusBarItem->setLength(60);
    statusBarItem->setVisible(true);
    statusBarView = std::make_shared<QVStatusBarView>(Kit::Rect {0, 0, 100, 22});

    // Chosen once; later appearance changes keep it.
    const auto match = Kit::Appearance::effectiveApplication().bestMatch(
        {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::aquaName)});
    Kit::Image image = Kit::Image::named(match == Kit::Appearance::darkAquaName ? "fan_black.fill" : "fan_white.fill");
    image.setSize({20, 20});
    image.setTemplate(true);
    statusBarView->icon->setImage(image);
    statusBarView->lengthHandler = handleLength();

    Kit::StatusBarButton* button = statusBarItem->button();
    button->addSubview(statusBarView);
    button->setTarget(this);
    button->setAction(Kit::Control::Action([weak = weak_from_this()](Kit::Control&) {
        if (auto delegate = weak.lock())
            delegate->statusBarItemClicked();
    }));
    statusItem = std::make_shared<StatusItemForwarder>(weak_from_this());
}

void AppDelegate::updateStatusItemVisibility()
{
    Console::print("更新状态栏图标。。。。");
    const bool hidden = setting(SettingsKey::isHiddenStatusBar);
    Console::print(hidden ? "----隐藏菜单栏图标------" : "----显示菜单栏图标------");
    if (statusBarItem)
        statusBarItem->setVisible(!hidden);
}

void AppDelegate::handleUpdateTemperatureUnit(const Foundation::Notification& notification)
{
    if (notification.name != NotificationName::updateTemperatureUnit)
        return;
    temperatureUnit = showsFahrenheit() ? "℉" : "℃";
    updateFanSpeedAndTemperature();
}

const std::function<void(double)>& AppDelegate::handleLength()
{
    if (!handleLength_) {
        handleLength_ = [weak = weak_from_this()](double width) {
            if (auto delegate = weak.lock())
                delegate->setStatusItemWidth(width);
        };
    }
    return handleLength_;
}

void AppDelegate::setStatusItemWidth(double width)
{
    if (statusBarItem)
        statusBarItem->setLength(width);
    if (!statusBarView)
        return;
    const Kit::Rect frame = statusBarView->frame();
    statusBarView->setFrame({frame.origin, {width, frame.height()}});
    statusBarView->setNeedsLayout(true);
}

void AppDelegate::refreshStatusBar(int leftSpeed, int rightSpeed)
{
    if (!statusBarView)
        return;
    QVStatusBarView& view = *statusBarView;
    const bool fansStopped = leftSpeed < 1 && rightSpeed < 1;
    if (!setting(SettingsKey::isEnableStatusBarIconAnimation)) {
        // The icon stops at its angle: nothing here may start a new turn.
        QVToolsKit::pauseAnimation(*view.icon);
        if (fansStopped) {
            showFansOff();
        } else {
            updateStatusItemWidth();
            view.leftFanSpeedText->setHidden(false);
            view.rightFanSpeedText->setHidden(false);
            view.arrange(true);
        }
    } else {
        // Resuming a turn that runs would move its time base and make it jump.
        if (view.icon->layer().speed() == 0)
            QVToolsKit::resumeAnimation(*view.icon);
        if (fansStopped)
            showFansOff();
        else
            showFanSpeeds(leftSpeed, rightSpeed);
    }
    updateStatusBarTexts(leftSpeed, rightSpeed);
}

void AppDelegate::showFanSpeeds(int leftSpeed, int rightSpeed)
{
    QVStatusBarView& view = *statusBarView;
    view.leftFanSpeedText->setHidden(false);
    view.rightFanSpeedText->setHidden(false);
    view.arrange(true);
    updateStatusItemWidth();
    const int fastest = std::max(leftSpeed, rightSpeed);
    const double period = fastest < 2000 ? 2.0 : fastest < 3000 ? 1.0 : 0.8;
    if (leftSpeed > 0 || rightSpeed > 0)
        rotateIcon(period);
}

void AppDelegate::rotateIcon(double period)
{
    QVToolsKit::rotateUnlessRunning(*statusBarView->icon, period);
}

void AppDelegate::showFansOff()
{
    QVStatusBarView& view = *statusBarView;
    if (fanCount == 2) {
        view.leftFanSpeedText->setHidden(true);
        view.rightFanSpeedText->setHidden(true);
        view.arrange(false);
    } else if (fanCount == 1) {
        view.rightFanSpeedText->setHidden(true);
    }
    QVToolsKit::pauseAnimation(*view.icon);
    const double width = setting(SettingsKey::isDisplayCPUStatusBar) ? 60 : fanCount == 2 ? 30 : 60;
    handleLength()(width);
}

void AppDelegate::updateStatusItemWidth()
{
    const double width = fanCount == 1 ? 65 : setting(SettingsKey::isDisplayCPUStatusBar) ? 105 : 70;
    handleLength()(width);
}

void AppDelegate::updateStatusBarTexts(int leftSpeed, int rightSpeed)
{
    QVStatusBarView& view = *statusBarView;
    const bool oneFan = fanCount == 1;
    if (!oneFan) {
        setText(*view.leftFanSpeedText, std::to_string(leftSpeed) + " rpm");
        setText(*view.rightFanSpeedText, std::to_string(rightSpeed) + " rpm");
    } else {
        setText(*view.leftFanSpeedText, leftSpeed < 1 ? "Fans Off" : std::to_string(leftSpeed) + " rpm");
        view.rightFanSpeedText->setHidden(true);
    }
    if (setting(SettingsKey::isDisplayCPUStatusBar)) {
        view.temperatureText->setHidden(false);
        if (oneFan)
            view.layout();
        updateTemperatureText();
    } else {
        view.temperatureText->setHidden(true);
        if (oneFan)
            view.layout();
    }
    // The speed frames follow their texts.
    view.setNeedsLayout(true);
    std::string toolTip = view.leftFanSpeedText->stringValue;
    if (!oneFan)
        toolTip += "\n" + view.rightFanSpeedText->stringValue;
    if (!view.temperatureText->isHidden())
        toolTip += "\n" + view.temperatureText->stringValue;
    statusBarItem->button()->setToolTip(toolTip);
}

void AppDelegate::updateTemperatureText()
{
    const bool fahrenheit = showsFahrenheit();
    const double celsius = CPUTemperature;
    const double value = fahrenheit ? celsius * 9 / 5 + 32 : celsius;
    const std::string sign = !temperatureUnit.empty() ? temperatureUnit : fahrenheit ? "℉" : "℃";
    setText(*statusBarView->temperatureText, std::to_string(Foundation::saturatedInt64(value)) + sign);
}

} // namespace Aerlo
