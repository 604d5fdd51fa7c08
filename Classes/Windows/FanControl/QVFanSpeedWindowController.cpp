#include "Classes/Windows/FanControl/QVFanSpeedWindowController.h"

#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Windows/FanControl/FanSpeedController.h"
#include "Classes/Windows/FanControl/SingleFanController.h"
#include "Platform/Kit/View.h"
#include "QVToolsKit/UI/TransparentWindow.h"

namespace Aerlo {

namespace {

template <class Panel>
std::shared_ptr<Kit::WindowController> makeWindowController()
{
    auto controller = std::make_shared<QVFanSpeedWindowController>();
    controller->setContentViewController(std::make_shared<Panel>());
    return controller;
}

} // namespace

void QVFanSpeedWindowController::registerScenes()
{
    Storyboard::registerWindowController("FanSpeedController", "", &makeWindowController<FanSpeedController>);
    Storyboard::registerWindowController("FanSpeedController", "SingleFanWindowController",
        &makeWindowController<SingleFanController>);
}

QVFanSpeedWindowController::QVFanSpeedWindowController()
{
    windowDidLoad();
}

void QVFanSpeedWindowController::windowDidLoad()
{
    setWindow(QVToolsKit::makeTransparentWindow());
    window()->setTitle("Aerlo");
    window()->setDelegate(this);
}

void QVFanSpeedWindowController::windowDidResignKey(Kit::Window&)
{
    if (!standsAlone_)
        close();
}

void QVFanSpeedWindowController::setStandsAlone()
{
    standsAlone_ = true;
}

} // namespace Aerlo
