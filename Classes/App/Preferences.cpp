#include "Classes/App/Preferences.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Views/InitialViewController.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/ViewController.h"
#include "QVToolsKit/UI/TransparentWindow.h"

namespace Aerlo {

std::shared_ptr<Preferences> Preferences::make()
{
    Foundation::Console::print("--- Preferences 即将加载");
    auto preferences = std::make_shared<Preferences>();
    preferences->setWindow(QVToolsKit::makeTransparentWindow());
    preferences->window()->setTitle(LocalizationTable::text("settings.title"));
    preferences->window()->setDelegate(preferences.get());
    preferences->setContentViewController(std::make_shared<InitialViewController>());
    return preferences;
}

InitialViewController* Preferences::initialViewController() const
{
    return dynamic_cast<InitialViewController*>(contentViewController().get());
}

void Preferences::showWindow()
{
    if (window() && !centred_) {
        window()->center();
        centred_ = true;
    }
    Kit::WindowController::showWindow();
}

void Preferences::close()
{
    closing_ = true;
    Kit::WindowController::close();
    closing_ = false;
}

void Preferences::windowWillClose(Kit::Window&)
{
    // Closed by its own buttons rather than by close(): the content still hears that it disappears.
    if (!closing_ && contentViewController())
        contentViewController()->viewWillDisappear();
    Kit::Application::shared().setActivationPolicy(Kit::ActivationPolicy::accessory);
}

} // namespace Aerlo
