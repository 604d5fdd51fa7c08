#pragma once

#include "Classes/App/StatusItemUpdating.h"
#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Views/SensorPopupUpdating.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/PowerEventSource.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Kit {
class StatusItem;
class WindowController;
}

namespace Aerlo {

class FanSpeedPanel;
class Preferences;
class QVStatusBarView;

// The application's delegate: its control core. Every second it reads the sensors and fans, posts
// the speeds, refreshes the status item and, in custom mode, applies the fan rules; it returns the
// fans to the system on sleep and power-off and re-applies the saved mode on wake or unlock.
// Main thread only.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    // A new delegate, which becomes the application's delegate.
    static std::shared_ptr<AppDelegate> make();
    // The delegate made last, while it lives.
    static std::weak_ptr<AppDelegate> applicationDelegate();

    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;
    ~AppDelegate();

    float CPUTemperature = 0;
    std::vector<Sensor_p> sensorsList;
    // The sensor popup and the status item, when they exist.
    std::shared_ptr<SensorPopupUpdating> popupView;
    std::shared_ptr<StatusItemUpdating> statusItem;
    // Whether the last rule evaluation forced the fans.
    bool hasSetFanSpeed = false;
    std::shared_ptr<Foundation::Timer> timer;

    // Fans back to the system, then the event monitors stopped.
    void applicationWillTerminate();

    // --- the application ---
    // The settings window, made on first use.
    std::shared_ptr<Preferences> preferences;
    std::shared_ptr<Kit::WindowController> fanSpeedWindowController;
    std::shared_ptr<Kit::StatusItem> statusBarItem;
    std::shared_ptr<QVStatusBarView> statusBarView;
    // The unit sign of the status item's temperature; empty until the unit changes.
    std::string temperatureUnit;
    // Power and lock events from the system, started by start-up (none: notifications posted directly).
    std::shared_ptr<SystemPlatform::PowerEventSource> powerEventSource;
    // Told the name of each start-up step as it begins (tests).
    std::function<void(std::string_view step)> onStartupStep;

    // Installs the application menu: its Settings item answers Ctrl+, in every window.
    void applicationWillFinishLaunching();
    // Start-up, in order; the observers it adds live as long as the delegate.
    void applicationDidFinishLaunching();
    // Looks the bundle up among the login items, then switches the updater's background checks on.
    void startUpdaterAndLoginCheck();
    // Opens the settings, never the fan window.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationSupportsSecureRestorableState() const { return true; }
    void openSettings();
    void didPressedSetting();
    void closeFanSpeedWindow();
    void statusBarItemClicked();
    void showFanSpeedWindow();
    // Where the desktop shows no status item: says so, and opens the fan panel as an ordinary window.
    void showFanPanelStandingAlone();
    void makeFanSpeedWindowController();
    void configureFanSpeedWindow(const std::shared_ptr<Kit::WindowController>& controller);

    // --- the status item ---
    void setUpStatusItem();
    void updateStatusItemVisibility();
    void handleUpdateTemperatureUnit(const Foundation::Notification& notification);
    // Sets the item's width; the status bar view calls it through its length handler.
    const std::function<void(double)>& handleLength();
    void setStatusItemWidth(double width);
    // The per-tick refresh of the real status item.
    void refreshStatusBar(int leftSpeed, int rightSpeed);
    void showFanSpeeds(int leftSpeed, int rightSpeed);
    void showFansOff();
    void updateStatusItemWidth();
    void updateStatusBarTexts(int leftSpeed, int rightSpeed);
    void updateTemperatureText();

    // --- the control tick ---
    // A repeating 1 s timer in the default mode (it pauses while a modal runs), replacing the last.
    void startTimer();
    void updateFanSpeedAndTemperature();
    // A full read of the sensors, then the copy and the popup.
    void refreshSensors();
    void refreshSensorCopy();
    // true: Apple silicon, false: Intel, none: another architecture (the value is kept).
    // A result below 20 °C becomes 38.
    void updateCPUTemperature(std::optional<bool> isARM);
    // The tick without a fan count.
    void updateWithoutFanCount();
    void updateCPUTemperatureFallback(std::optional<bool> isARM);
    // Whether the fallback's background read is still running.
    bool isFallbackReadRunning() const { return fallbackReadRunning_->load(); }
    void updateStatusBar(int leftSpeed, int rightSpeed);
    // The architecture as the two paths know it.
    static std::optional<bool> machineIsARM();

    // --- the SMC out, the helper back ---
    // True while the SMC cannot be read (SMC::outage()); the tick keeps it.
    bool sensorsUnreadable = false;
    // The status item and the panel say the sensors cannot be read, or no longer; when the readings
    // come back, the mode in force is applied again (a restarted SMC runs every fan automatic).
    void showSensorsUnreadable(bool unreadable);
    // The panel's mode applied again, as after a wake: the helper or the SMC came back.
    void reapplyModeInForce();
    // The helper is back after its connection was lost (the mode in force applied again), or it has
    // not come back: the panel shows the system mode when every fan runs automatic, else a forced mode,
    // and an alert says the fans are still forced and how to recover.
    void helperReconnected(bool back);
    // Installing the helper was refused: the alert of fans still forced, or that it was not installed.
    void helperInstallRefused();
    // The alert of fans still forced, with its reinstall (after a refused install: `refused`).
    void tellFansStillForced(bool refused);

    // --- custom fan rules ---
    void applyCustomFanRules();
    // Posts the mode notification of "fanModeSelectedSegment" (absent: system); nothing for other values.
    void postSelectedFanMode();

    // --- sleep, wake, screen-lock and power-off ---
    void receiveSleepNotification(const Foundation::Notification& notification);
    void handleSystemSleep();
    void handleWillPowerOff(const Foundation::Notification& notification);
    void onlyHandleScreenSleep(const Foundation::Notification& notification);
    void handleScreensSleep();
    void onlyHandleScreensDidWake(const Foundation::Notification& notification);
    void handleWakeNotification(const Foundation::Notification& notification);
    void handleWake(const Foundation::Notification& notification, std::string_view expectedName);
    void handleScreenLocked();
    void handleScreenUnlocked();
    // Observes the workspace's sleep, power-off and screen notifications and the distributed screen lock
    // pair, for the life of the delegate; with a source, starts it, and before it lets the machine sleep
    // or power off waits (at most 1 s) for the helper to take the restores.
    void observePowerAndLockNotifications(std::shared_ptr<SystemPlatform::PowerEventSource> source = nullptr);

private:
    AppDelegate() = default;
    // The distributed lock pair's observers.
    void handleScreenLockedNotification(const Foundation::Notification& notification);
    void handleScreenUnlockedNotification(const Foundation::Notification& notification);

    void startupStep(std::string_view step);
    // The fan window's panel, once there is one.
    FanSpeedPanel* fanSpeedPanel() const;
    // The icon turns one turn per `period` seconds; a turn already running at that period is kept.
    void rotateIcon(double period);

    std::vector<Foundation::ObserverToken> observers_;
    std::function<void(double)> handleLength_;
    Foundation::UserDefaults::ObserverToken hiddenStatusBarObserver_;
    std::shared_ptr<SystemPlatform::PowerEventSource> powerEvents_;
    // A background read queued by the fallback and not finished yet.
    std::shared_ptr<std::atomic<bool>> fallbackReadRunning_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace Aerlo
