#include "Classes/App/AppDelegate.h"

#include "Classes/Configure/Global/CurrentFanMode.h"
#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/App/FanSpeedPanel.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/App/QVEventMonitor.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/SystemKit/CPUTypes.h"
#include "Classes/FanControl/FanRuleEvaluator.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SMCReadScope.h"
#include "Classes/Sensors/SensorValueText.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/Saturating.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Foundation/WorkspaceNotificationName.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/WindowController.h"

#include <cmath>
#include <limits>

namespace Aerlo {

namespace {

using Foundation::Console;
using Foundation::NotificationCenter;
using Foundation::WorkspaceNotificationName;

Foundation::LockedValue<std::weak_ptr<AppDelegate>>& currentDelegate()
{
    static Foundation::SharedInstance<Foundation::LockedValue<std::weak_ptr<AppDelegate>>> delegate;
    return delegate.get();
}

// RPM rounded half away from zero; a value that is not a number or beyond int gives 0.
int roundedSpeed(double speed)
{
    const double rounded = std::round(speed);
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return 0;
    return static_cast<int>(rounded);
}

std::int64_t setting(std::string_view key)
{
    return Foundation::UserDefaults::standard().integer(key);
}

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::make()
{
    std::shared_ptr<AppDelegate> delegate(new AppDelegate());
    currentDelegate().set(delegate);
    return delegate;
}

std::weak_ptr<AppDelegate> AppDelegate::applicationDelegate()
{
    return currentDelegate().get();
}

AppDelegate::~AppDelegate()
{
    if (timer)
        timer->invalidate();
    if (powerEvents_)
        powerEvents_->stop();
}

void AppDelegate::applicationWillTerminate()
{
    restoreAutomaticFanControl();
    QVEventMonitor::shared().stop();
    // The restores reach the daemon before the process goes.
    (void)SMCHelper::shared()->flush(SMCHelper::defaultFlushSeconds);
}

// the control tick

void AppDelegate::startTimer()
{
    if (timer)
        timer->invalidate();
    timer = Foundation::Timer::scheduledTimer(1.0, true, [weak = weak_from_this()](Foundation::Timer&) {
        if (auto delegate = weak.lock())
            delegate->updateFanSpeedAndTemperature();
    });
}

void AppDelegate::updateFanSpeedAndTemperature()
{
    // Every reader of the tick shares the one read of each key.
    const SMCReadScope reads(SMC::shared());
    const auto count = SMCManager::fanCountFromValue(SMC::shared().getValue("FNum"));
    if (const bool out = SMC::shared().outage().has_value(); out != sensorsUnreadable)
        showSensorsUnreadable(out);
    if (!count) {
        // While the SMC is out, its one line says it all.
        if (!sensorsUnreadable)
            Console::print("FNum not found");
        updateWithoutFanCount();
        return;
    }
    SMCManager& manager = SMCManager::shared();
    manager.readFans(*count);
    refreshSensors();
    updateCPUTemperature(machineIsARM());
    manager.refreshFanSpeeds();

    const int left = roundedSpeed(leftFanSpeed);
    const int right = roundedSpeed(rightFanSpeed);
    const Foundation::UserInfo speeds{{"leftSpeed", left}, {"rightSpeed", right}};
    NotificationCenter& centre = NotificationCenter::defaultCenter();
    centre.post(NotificationName::dashboardFans, nullptr, speeds);
    centre.post(NotificationName::fansController, nullptr, speeds);

    Foundation::DispatchQueue::main().async([weak = weak_from_this(), left, right] {
        if (auto delegate = weak.lock())
            delegate->updateStatusBar(left, right);
    });
    if (customFanModeFlag)
        applyCustomFanRules();
}

void AppDelegate::refreshSensors()
{
    SensorsReader::shared()->read();
    refreshSensorCopy();
}

void AppDelegate::refreshSensorCopy()
{
    sensorsList = SensorsReader::shared()->list->sensors();
    if (popupView)
        popupView->update(sensorsList);
}

std::optional<bool> AppDelegate::machineIsARM()
{
    const auto machine = CPUTypes::machineString();
    if (machine == "x86_64")
        return false;
    if (machine == "arm64")
        return true;
    return std::nullopt;
}

void AppDelegate::updateCPUTemperature(std::optional<bool> isARM)
{
    if (isARM == false)
        CPUTemperature = static_cast<float>(intelCPUAverageTemperature.load());
    else if (isARM == true)
        CPUTemperature = SMCManager::shared().averageCPUTemperature().mean;
    if (CPUTemperature < 20)
        CPUTemperature = 38;
}

void AppDelegate::updateWithoutFanCount()
{
    if (!fallbackReadRunning_->exchange(true)) {
        Foundation::DispatchQueue::global().async([running = fallbackReadRunning_] {
            SensorsReader::shared()->read();
            running->store(false);
        });
    }
    Foundation::DispatchQueue::main().async([weak = weak_from_this()] {
        if (auto delegate = weak.lock())
            delegate->refreshSensorCopy();
    });
    updateCPUTemperatureFallback(machineIsARM());

    if (!statusItem)
        return;
    statusItem->hideFanSpeedTexts();
    const bool showsTemperature = Foundation::UserDefaults::standard().boolValue(SettingsKey::isDisplayCPUStatusBar);
    statusItem->setStatusItemWidth(showsTemperature ? 65 : 30);
    if (!showsTemperature) {
        statusItem->hideTemperatureText();
        return;
    }
    const double celsius = CPUTemperature;
    const bool fahrenheit = setting(SettingsKey::temperatureUnitIndex) != 0;
    const double shown = fahrenheit ? celsius * 9 / 5 + 32 : celsius;
    const std::string number = std::isfinite(shown) ? std::to_string(Foundation::saturatedInt64(shown))
                                                    : std::string(SensorValueText::placeholder);
    statusItem->showTemperatureText(number + (fahrenheit ? "℉" : "℃"), fanCount == 1);
}

void AppDelegate::showSensorsUnreadable(bool unreadable)
{
    sensorsUnreadable = unreadable;
    if (statusItem && unreadable)
        statusItem->setToolTip(LocalizationTable::text("sensors.unreadable"));
    if (FanSpeedPanel* panel = fanSpeedPanel())
        panel->showSensorsUnreadable(unreadable);
    if (!unreadable)
        reapplyModeInForce();
}

FanSpeedPanel* AppDelegate::fanSpeedPanel() const
{
    return fanSpeedWindowController
               ? dynamic_cast<FanSpeedPanel*>(fanSpeedWindowController->contentViewController().get())
               : nullptr;
}

void AppDelegate::helperReconnected(bool back)
{
    if (back) {
        reapplyModeInForce();
        return;
    }
    // Only a helper writes fans automatic: the ones still forced say what is really in force.
    if (SMCManager::shared().forcedFans().empty()) {
        Console::print("The helper did not come back: the fans run automatic.");
        if (FanSpeedPanel* panel = fanSpeedPanel())
            panel->showSystemModeInForce();
        return;
    }
    Console::print("The helper did not come back: the fans are still forced. Reinstall the helper to set them automatic.");
    if (FanSpeedPanel* panel = fanSpeedPanel())
        panel->showForcedModeInForce();
    tellFansStillForced(false);
}

void AppDelegate::helperInstallRefused()
{
    if (SMCManager::shared().forcedFans().empty()) {
        QVAlertManager::showHelperRefusedAlert();
        return;
    }
    Console::print("The helper was not installed: the fans are still forced.");
    tellFansStillForced(true);
}

void AppDelegate::tellFansStillForced(bool refused)
{
    if (!QVAlertManager::showFansStillForcedAlert(refused))
        return;
    // A helper that starts sets every fan automatic; the one that comes back gets the mode shown again.
    SMCHelper::shared()->installHelper([](bool installed) {
        if (installed)
            Foundation::NotificationCenter::defaultCenter().post(NotificationName::fanHelperState, nullptr,
                                                                 {{"state", true}});
    });
}

void AppDelegate::reapplyModeInForce()
{
    Console::print("The helper or the SMC came back: the fan mode in force is applied again.");
    if (FanSpeedPanel* panel = fanSpeedPanel())
        panel->reapplyShownMode();
}

void AppDelegate::updateCPUTemperatureFallback(std::optional<bool> isARM)
{
    // Nothing read is no temperature, not 0 °C.
    if (sensorsUnreadable) {
        CPUTemperature = std::numeric_limits<float>::quiet_NaN();
        return;
    }
    if (isARM == true) {
        CPUTemperature = SMCManager::shared().averageCPUTemperature().mean;
        return;
    }
    if (isARM != false)
        return;
    SMCManager& manager = SMCManager::shared();
    const int keys = static_cast<int>(manager.intelSMCKeys.size());
    // Kept within the key count, so that years of failing keys cannot overflow it.
    int index = ((manager.currentSMCKeyIndex % keys) + keys) % keys;
    CPUTemperature = 0;
    for (int tried = 0; tried < keys; ++tried) {
        const auto value = SMC::shared().getValue(manager.intelSMCKeys[static_cast<std::size_t>(index)]);
        if (value && *value > 0 && *value <= manager.maxCPUTemperature) {
            CPUTemperature = static_cast<float>(*value);
            break;
        }
        index = (index + 1) % keys;
    }
    manager.currentSMCKeyIndex = index;
}

void AppDelegate::updateStatusBar(int leftSpeed, int rightSpeed)
{
    if (statusItem)
        statusItem->updateStatusBar(leftSpeed, rightSpeed);
}

// custom fan rules

void AppDelegate::applyCustomFanRules()
{
    hasSetFanSpeed = FanRuleEvaluator::apply(QVFanRulesManager::loadFanRules(), sensorsList, FanLimits::current());
}

void AppDelegate::postSelectedFanMode()
{
    const auto mode = currentFanModeFromRawValue(setting(SettingsKey::fanModeSelectedSegment));
    if (!mode)
        return;
    std::string_view name;
    switch (*mode) {
    case CurrentFanMode::auto_:
        name = NotificationName::systemFanMode;
        break;
    case CurrentFanMode::max:
        name = NotificationName::maximumFanMode;
        break;
    case CurrentFanMode::forced:
        name = NotificationName::manualFanMode;
        break;
    case CurrentFanMode::custom:
        name = NotificationName::customFanMode;
        break;
    }
    NotificationCenter::defaultCenter().post(name);
}

// sleep, wake, screen-lock and power-off

void AppDelegate::receiveSleepNotification(const Foundation::Notification&)
{
    handleSystemSleep();
}

void AppDelegate::handleSystemSleep()
{
    Console::print("----- 开始睡眠，停止控制风扇，恢复为自动模式！----- ");
    // The tick must not force the fans again before the machine sleeps; the wake re-applies the mode.
    customFanModeFlag = false;
    restoreAutomaticFanControl();
    NotificationCenter::defaultCenter().post(fanCount == 2 ? NotificationName::updateFanAutomatic
                                                           : NotificationName::updateSigleFanAutomatic);
}

void AppDelegate::handleWillPowerOff(const Foundation::Notification& notification)
{
    if (notification.name != WorkspaceNotificationName::willPowerOff)
        return;
    customFanModeFlag = false;
    restoreAutomaticFanControl();
}

void AppDelegate::onlyHandleScreenSleep(const Foundation::Notification& notification)
{
    if (notification.name == WorkspaceNotificationName::screensDidSleep)
        handleScreensSleep();
}

void AppDelegate::handleScreensSleep()
{
    Console::print("处理`屏幕进入睡眠`状态时, 系统本身可能未睡眠。");
    NotificationCenter::defaultCenter().post(NotificationName::systemFanMode);
    // Also when no panel is there to hear the notification.
    restoreAutomaticFanControl();
}

void AppDelegate::onlyHandleScreensDidWake(const Foundation::Notification& notification)
{
    handleWake(notification, WorkspaceNotificationName::screensDidWake);
}

void AppDelegate::handleWakeNotification(const Foundation::Notification& notification)
{
    handleWake(notification, WorkspaceNotificationName::didWake);
}

void AppDelegate::handleWake(const Foundation::Notification& notification, std::string_view expectedName)
{
    if (notification.name != expectedName)
        return;
    if (setting(SettingsKey::triggerConditionIndex) == 0)
        postSelectedFanMode();
    else
        Console::print("触发条件《仅在解锁后控制风扇》 ---- 索引 1, 直接返回");
}

void AppDelegate::handleScreenLockedNotification(const Foundation::Notification&)
{
    handleScreenLocked();
}

void AppDelegate::handleScreenUnlockedNotification(const Foundation::Notification&)
{
    handleScreenUnlocked();
}

void AppDelegate::handleScreenUnlocked()
{
    Console::print("用户已解锁屏幕");
    if (setting(SettingsKey::triggerConditionIndex) == 1)
        postSelectedFanMode();
    else
        Console::print("触发条件《开机后即控制风扇》 ---- 索引 0, 直接返回，不恢复系统控制");
}

void AppDelegate::handleScreenLocked()
{
    Console::print("用户已锁定屏幕");
    if (setting(SettingsKey::triggerConditionIndex) == 1) {
        NotificationCenter::defaultCenter().post(NotificationName::systemFanMode);
        // Also when no panel is there to hear the notification.
        restoreAutomaticFanControl();
    } else {
        Console::print("触发条件《开机后即控制风扇》 ---- 索引 0, 直接返回，不恢复系统控制");
    }
}

void AppDelegate::observePowerAndLockNotifications(std::shared_ptr<SystemPlatform::PowerEventSource> source)
{
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto call = [weak](void (AppDelegate::*handler)(const Foundation::Notification&)) {
        return [weak, handler](const Foundation::Notification& notification) {
            if (auto delegate = weak.lock())
                (delegate.get()->*handler)(notification);
        };
    };
    NotificationCenter& workspace = NotificationCenter::workspace();
    NotificationCenter& distributed = NotificationCenter::distributed();
    const struct {
        NotificationCenter& centre;
        std::string_view name;
        void (AppDelegate::*handler)(const Foundation::Notification&);
    } registrations[] = {
        {workspace, WorkspaceNotificationName::willSleep, &AppDelegate::receiveSleepNotification},
        {workspace, WorkspaceNotificationName::willPowerOff, &AppDelegate::handleWillPowerOff},
        {workspace, WorkspaceNotificationName::screensDidSleep, &AppDelegate::onlyHandleScreenSleep},
        {workspace, WorkspaceNotificationName::screensDidWake, &AppDelegate::onlyHandleScreensDidWake},
        {distributed, WorkspaceNotificationName::screenIsLocked, &AppDelegate::handleScreenLockedNotification},
        {distributed, WorkspaceNotificationName::screenIsUnlocked, &AppDelegate::handleScreenUnlockedNotification},
        {workspace, WorkspaceNotificationName::didWake, &AppDelegate::handleWakeNotification},
    };
    for (const auto& registration : registrations)
        observers_.push_back(registration.centre.addObserver(registration.name, nullptr, call(registration.handler)));
    if (!source)
        return;
    powerEvents_ = std::move(source);
    powerEvents_->setBeforeRelease([] { (void)SMCHelper::shared()->flush(SMCHelper::defaultFlushSeconds); });
    powerEvents_->start();
}

} // namespace Aerlo
