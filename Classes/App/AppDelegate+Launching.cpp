#include "Classes/App/AppDelegate.h"
#include "Classes/App/FanSpeedPanel.h"
#include "Classes/App/FanSpeedWindow.h"
#include "Classes/App/LoginServiceKit.h"
#include "Classes/App/Preferences.h"
#include "Classes/App/QVAppCenter.h"
#include "Classes/App/QVAppRelaunchManager.h"
#include "Classes/App/QVAppRunningChecker.h"
#include "Classes/App/QVStatusBarView.h"
#include "Classes/App/QVUpdateManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsDefaults.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/FanControl/QVDaemonManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/QVSensorNamesManager.h"
#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Views/SensorPopup.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/StatusBar.h"
#include "Platform/Kit/StatusItem.h"
#include "Platform/Kit/ViewController.h"
#include "Platform/Kit/WindowController.h"

#include <algorithm>

namespace Aerlo {

namespace {

using Foundation::Console;

constexpr std::string_view fanSpeedStoryboard = "FanSpeedController";
constexpr std::string_view singleFanIdentifier = "SingleFanWindowController";
// The sensor list below the panel, at its full height.
constexpr double sensorListHeight = 395;

// The sensor list's scroll view among the panel's subviews.
Kit::ScrollView* sensorList(const Kit::View& panel)
{
    for (const auto& sub : panel.subviews())
        if (auto* list = dynamic_cast<Kit::ScrollView*>(sub.get()))
            return list;
    return nullptr;
}

} // namespace

void AppDelegate::startupStep(std::string_view step)
{
    if (onStartupStep)
        onStartupStep(step);
}

void AppDelegate::applicationWillFinishLaunching()
{
    auto menu = std::make_shared<Kit::Menu>();
    menu->addItem(LocalizationTable::text("statusBar.title.setting"), {[weak = weak_from_this()](Kit::MenuItem&) {
                      if (auto delegate = weak.lock())
                          delegate->didPressedSetting();
                  }},
                  ",");
    Kit::Application::shared().setMainMenu(menu);
}

void AppDelegate::applicationDidFinishLaunching()
{
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    startupStep("tellOldCopyToQuit");
    QVAppRunningChecker::shared().postTellOldSameAppToQuit();
    startupStep("updateManager");
    (void)QVUpdateManager::shared();
    startupStep("operatingSystemGate");
    // The gate ended the application: nothing after it runs (nothing may force a fan).
    if (!QVUpdateManager::shared().checkSupportedOSVersion())
        return;

    startupStep("helperCheck");
    if (SMCHelper::shared()->isInstalled()) {
        Console::print("守护进程已安装");
        SMCHelper::shared()->checkHelperVersion();
    } else {
        Console::print("守护进程未安装。。。");
    }
    startupStep("checkHelperUpdate");
    QVDaemonManager::checkHelperUpdate();
    startupStep("analytics");
    QVAppCenter::start();
    startupStep("startUpdaterAndLoginCheck");
    startUpdaterAndLoginCheck();

    startupStep("firstLaunch");
    registerFirstLaunchDefaultsOnce();
    startupStep("refreshSensors");
    refreshSensors();
    startupStep("tick");
    updateFanSpeedAndTemperature();
    startupStep("makeFanSpeedWindowController");
    makeFanSpeedWindowController();
    startupStep("setUpStatusItem");
    setUpStatusItem();
    startupStep("updateStatusItemVisibility");
    updateStatusItemVisibility();
    // Without a status item nothing would be on screen: open the settings, as a reopen would.
    if (defaults.boolValue(SettingsKey::isHiddenStatusBar))
        applicationShouldHandleReopen(false);
    else if (statusBarItem && !Kit::StatusBar::system().isShownOnDesktop(*statusBarItem))
        showFanPanelStandingAlone();

    startupStep("fanCount");
    if (const auto count = SMCManager::fanCountFromValue(SMC::shared().getValue("FNum")))
        fanCount = *count;
    else
        Console::print("FNum not found");
    startupStep("fillSensorNames");
    QVSensorNamesManager::fillSensorNamesIfEmpty();
    startupStep("startTimer");
    startTimer();
    startupStep("scheduleRestart");
    QVAppRelaunchManager::shared().scheduleRestart(0, 30, 0, 3);

    startupStep("observeHiddenStatusBar");
    hiddenStatusBarObserver_ =
        defaults.addObserver(SettingsKey::isHiddenStatusBar, [weak = weak_from_this()](auto&&...) {
            if (auto delegate = weak.lock())
                delegate->updateStatusItemVisibility();
        });
    startupStep("observeTemperatureUnit");
    observers_.push_back(Foundation::NotificationCenter::defaultCenter().addObserver(
        NotificationName::updateTemperatureUnit, nullptr, [weak = weak_from_this()](const Foundation::Notification& n) {
            if (auto delegate = weak.lock())
                delegate->handleUpdateTemperatureUnit(n);
        }));
    startupStep("observePowerAndLock");
    observePowerAndLockNotifications(powerEventSource);
    // A daemon that comes back after a crash runs every fan automatic: the mode in force goes again;
    // one that does not come back leaves them automatic, and the panel says so.
    SMCHelper::shared()->reconnectionHandler = [weak = weak_from_this()](bool back) {
        if (auto delegate = weak.lock())
            delegate->helperReconnected(back);
    };
    SMCHelper::shared()->authorizationRefusedHandler = [weak = weak_from_this()] {
        if (auto delegate = weak.lock())
            delegate->helperInstallRefused();
    };
}

void AppDelegate::startUpdaterAndLoginCheck()
{
    (void)LoginServiceKit::findLoginItem(Foundation::Bundle::main().bundlePath().string());
    QVUpdateManager::shared().startBackgroundChecks();
}

bool AppDelegate::applicationShouldHandleReopen(bool)
{
    openSettings();
    return true;
}

void AppDelegate::openSettings()
{
    if (!preferences)
        preferences = Preferences::make();
    preferences->showWindow();
    Kit::Application::shared().activate(true);
}

void AppDelegate::didPressedSetting()
{
    closeFanSpeedWindow();
    openSettings();
}

void AppDelegate::closeFanSpeedWindow()
{
    if (fanSpeedWindowController)
        fanSpeedWindowController->close();
}

void AppDelegate::statusBarItemClicked()
{
    if (!fanSpeedWindowController) {
        makeFanSpeedWindowController();
        return;
    }
    if (fanSpeedWindowController->isWindowVisible())
        closeFanSpeedWindow();
    else
        showFanSpeedWindow();
}

void AppDelegate::showFanSpeedWindow()
{
    // Nothing to show until a panel scene is registered.
    if (!fanSpeedWindowController || !fanSpeedWindowController->window())
        return;
    Kit::Window& window = *fanSpeedWindowController->window();
    const std::shared_ptr<Kit::View> content = window.contentView();
    if (statusBarItem && content) {
        const Kit::Rect button = statusBarItem->screenFrame();
        Kit::Rect visible = Kit::Screen::placementMain().visibleFrame();
        for (const auto& screen : Kit::Screen::screens())
            if (screen->frame().intersects(button))
                visible = screen->visibleFrame();
        Kit::Size size = content->bounds().size;
        // The sensor list takes what the screen leaves it, up to its full height.
        if (Kit::ScrollView* list = sensorList(*content)) {
            const double rest = size.height - list->frame().height();
            const double listHeight = std::clamp(visible.height() - rest, 0.0, sensorListHeight);
            if (listHeight != list->frame().height()) {
                list->setFrameSize({list->frame().width(), listHeight});
                // Its top shows, as when it was made.
                if (const auto& document = list->documentView())
                    list->contentView().scrollToPoint({0, document->bounds().height()});
            }
            list->setHidden(listHeight <= 0);
            size.height = rest + listHeight;
        }
        Kit::Rect frame {button.x() + (button.width() - size.width) * 0.5, button.y() - size.height, size.width,
                         size.height};
        // Kept on the screen (a tray at the bottom edge puts the item near the bottom); on a screen too low
        // for it the title row stays on the screen.
        frame.origin.x = std::clamp(frame.x(), visible.minX(), std::max(visible.minX(), visible.maxX() - size.width));
        frame.origin.y = std::min(std::max(frame.y(), visible.minY()), visible.maxY() - size.height);
        window.setFrame(frame, true);
    }
    fanSpeedWindowController->showWindow();
    Kit::Application::shared().activate(true);
}

void AppDelegate::showFanPanelStandingAlone()
{
    Console::print("The desktop shows no tray icons: the fan panel opens as a window of its own.");
    makeFanSpeedWindowController();
    if (auto* controller = dynamic_cast<FanSpeedWindow*>(fanSpeedWindowController.get()))
        controller->setStandsAlone();
    showFanSpeedWindow();
}

void AppDelegate::makeFanSpeedWindowController()
{
    if (fanSpeedWindowController)
        return;
    fanSpeedWindowController = fanCount == 2
                                   ? Storyboard::instantiateWindowController(fanSpeedStoryboard)
                                   : Storyboard::instantiateWindowController(fanSpeedStoryboard, singleFanIdentifier);
    configureFanSpeedWindow(fanSpeedWindowController);
    postSelectedFanMode();
}

void AppDelegate::configureFanSpeedWindow(const std::shared_ptr<Kit::WindowController>& controller)
{
    if (!controller) {
        Console::print("错误：fanSpeedWindowController 为 nil");
        return;
    }
    const std::shared_ptr<Kit::ViewController> content = controller->contentViewController();
    const auto* panel = dynamic_cast<const FanSpeedPanel*>(content.get());
    const bool twoFans = fanCount == 2;
    if (!panel || panel->isTwoFanPanel() != twoFans) {
        Console::print(twoFans ? "错误：contentViewController 不是 FanSpeedController 类型"
                               : "错误：contentViewController 不是 SingleFanController 类型");
        return;
    }
    const std::shared_ptr<Kit::View>& panelView = content->view();
    const double w = panelView->frame().width();
    const double h = panelView->frame().height();
    if (Kit::Window* window = controller->window())
        window->setContentSize({w, h + 400});
    panelView->setFrameSize({w, h + 400});

    // Leading and trailing 10, top H − 20 below the panel's top, bottom 25 above its bottom.
    auto scrollView = std::make_shared<Kit::ScrollView>(Kit::Rect {0, 0, w, 400});
    scrollView->setDrawsBackground(false);
    scrollView->setFrame({10, 25, w - 20, sensorListHeight});
    panelView->addSubview(scrollView);

    auto popup = std::make_shared<SensorPopup>(Kit::Rect {0, 0, w - 20, 0});
    popupView = popup;
    popup->setup(sensorsList);
    scrollView->setDocumentView(popup);
    scrollView->contentView().scrollToPoint({0, popup->bounds().height()});
}

} // namespace Aerlo
