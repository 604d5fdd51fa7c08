#include "Classes/App/App.h"
#include "Classes/App/AppDelegate.h"
#include "Classes/App/LoginItemService.h"
#include "Classes/App/QVAppRelaunchManager.h"
#include "Classes/App/QVUpdateManager.h"
#include "Classes/App/SessionLoginItemService.h"
#include "Classes/App/SettingsController.h"
#include "Classes/App/TerminationSignals.h"
#include "Classes/App/UpdateCheck.h"
#include "Classes/App/Utility.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Windows/Dashboard/DashboardViewController.h"
#include "Classes/Windows/FanControl/QVFanSpeedWindowController.h"
#include "Classes/Windows/FanControl/SensorsViewController.h"
#include "Classes/Views/FreeAppsViewController.h"
#include "Classes/Views/TutorialViewController.h"
#include "Classes/Views/UserSupportController.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/DesktopAppearance.h"
#include "Platform/Kit/QtRunLoopDriver.h"
#include "Platform/System/DefaultAuthorizationProvider.h"
#include "Platform/System/Logind/LogindPowerEventSource.h"
#include "Platform/System/SystemProfiler.h"
#include "Platform/System/TopReport.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Before anything reaches the system facts.
    SystemPlatform::SystemProfiler::installStandIn();
    SystemPlatform::TopReport::installStandIn();
    Kit::Application::setPrincipalClass<Aerlo::App>();

    // The status item repaints its small tray window many times a second: on X11 a shared-memory backing
    // store waits for the display server at every paint, a plain image upload does not.
    ::setenv("QT_XCB_NO_MITSHM", "1", 0);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Kit::QtRunLoopDriver runLoop;
    // The windows carry the application's icon and belong to its desktop entry.
    Kit::Application::shared().setApplicationIconImage(Kit::Image::named("AppIcon"));
    Kit::Application::shared().setDesktopEntryName(Foundation::Bundle::main().bundleIdentifier().value_or("Aerlo"));
    // Light or dark as the desktop says, live.
    Kit::DesktopAppearance desktopAppearance;

    Aerlo::TerminationSignals terminationSignals([](int) { Kit::Application::shared().terminate(); });

    auto authorization = std::make_shared<SystemPlatform::DefaultAuthorizationProvider>();
    authorization->setConfirmation([](const SystemPlatform::AuthorizationRights&) {
        return Aerlo::Utility::confirm(Aerlo::LocalizationTable::text("authorization.title"),
                   Aerlo::LocalizationTable::text("authorization.message"))
            ? SystemPlatform::AuthorizationConfirmation::allow
            : SystemPlatform::AuthorizationConfirmation::cancel;
    });
    SystemPlatform::AuthorizationProvider::replaceShared(authorization);

    // The settings pane's launch-at-login box and update control.
    Aerlo::LoginItemService::replace(std::make_shared<Aerlo::SessionLoginItemService>());
    Aerlo::UpdateCheck::replace([] { Aerlo::QVUpdateManager::shared().checkForUpdates(nullptr); });
    // A test of the whole program sees the scheduled relaunch in seconds.
    Aerlo::QVAppRelaunchManager::shared().setIntervalOverride(
        Aerlo::QVAppRelaunchManager::parseIntervalOverride(std::getenv("AERLO_RELAUNCH_SECONDS")));

    // The settings window's panes.
    Aerlo::SettingsController::registerScene();
    Aerlo::SensorsViewController::registerScene();
    Aerlo::TutorialViewController::registerScene();
    Aerlo::FreeAppsViewController::registerScene();
    Aerlo::UserSupportController::registerScene();
    Aerlo::DashboardViewController::registerScene();
    Aerlo::QVFanSpeedWindowController::registerScenes();

    const std::shared_ptr<Aerlo::AppDelegate> delegate = Aerlo::AppDelegate::make();
    delegate->powerEventSource = std::make_shared<SystemPlatform::LogindPowerEventSource>();
    Kit::Application& app = Kit::Application::shared();
    app.setWillTerminate([delegate] { delegate->applicationWillTerminate(); });
    // However the loop ends, the delegate hears of it once.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [] { Kit::Application::shared().runWillTerminateOnce(); });

    delegate->applicationWillFinishLaunching();
    Foundation::DispatchQueue::main().async([delegate] { delegate->applicationDidFinishLaunching(); });
    return QApplication::exec();
}
