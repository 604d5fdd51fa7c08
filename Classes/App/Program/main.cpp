#include "Classes/App/AppDelegate.h"
#include "Classes/App/SettingsController.h"
#include "Classes/App/TerminationSignals.h"
#include "Classes/App/Utility.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/FanControl/Windows/QVFanSpeedWindowController.h"
#include "Classes/FanControl/Windows/SensorsViewController.h"
#include "Classes/Views/FreeAppsViewController.h"
#include "Classes/Views/TutorialViewController.h"
#include "Classes/Views/UserSupportController.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/QtRunLoopDriver.h"
#include "Platform/System/DefaultAuthorizationProvider.h"
#include "Platform/System/Logind/LogindPowerEventSource.h"
#include "Platform/System/SystemProfiler.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything reaches the system facts.
    SystemPlatform::SystemProfiler::installStandIn();

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Kit::QtRunLoopDriver runLoop;

    Aerlo::TerminationSignals terminationSignals([](int) { Kit::Application::shared().terminate(); });

    auto authorization = std::make_shared<SystemPlatform::DefaultAuthorizationProvider>();
    authorization->setConfirmation([](const SystemPlatform::AuthorizationRights&) {
        return Aerlo::Utility::confirm(Aerlo::LocalizationTable::text("authorization.title"),
                   Aerlo::LocalizationTable::text("authorization.message"))
            ? SystemPlatform::AuthorizationConfirmation::allow
            : SystemPlatform::AuthorizationConfirmation::cancel;
    });
    SystemPlatform::AuthorizationProvider::setShared(authorization);

    // The settings window's panes.
    Aerlo::SettingsController::registerScene();
    Aerlo::SensorsViewController::registerScene();
    Aerlo::TutorialViewController::registerScene();
    Aerlo::FreeAppsViewController::registerScene();
    Aerlo::UserSupportController::registerScene();
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
