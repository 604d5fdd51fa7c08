#include "Classes/App/Preferences.h"

#include "Classes/App/Storyboard.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewController.h"
#include "QVToolsKit/TransparentWindow.h"

namespace Aerlo {

std::shared_ptr<Preferences> Preferences::make()
{
    auto preferences = std::make_shared<Preferences>();
    preferences->setWindow(QVToolsKit::makeTransparentWindow());
    preferences->window()->setDelegate(preferences.get());
    if (auto pane = Storyboard::instantiateViewController("SensorsViewController"))
        preferences->setContentViewController(std::move(pane));
    return preferences;
}

void Preferences::showWindow()
{
    if (window() && !window()->isVisible())
        window()->center();
    Kit::WindowController::showWindow();
}

} // namespace Aerlo
