#include "Classes/Windows/FanControl/SingleFanController.h"

#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/App/QVUpdateManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Views/QVSlider.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/SegmentedControl.h"
#include "Platform/Kit/TextField.h"

#include <cmath>

namespace Aerlo {

namespace {

using Foundation::Console;

long rounded(double value)
{
    return std::isfinite(value) ? std::lround(value) : 0;
}

} // namespace

SingleFanController::SingleFanController() = default;
SingleFanController::~SingleFanController() = default;

void SingleFanController::loadView()
{
    auto panel = makePanelView({width, height});
    addHeader(*panel);
    Kit::Image more = Kit::Image::named("more-dark");
    more.setTemplate(true);
    moreButton->setImage(more);
    std::shared_ptr<Kit::View> card = makeFanCard(fromTop(height, 12, 94, width - 24, 120),
        LocalizationTable::text("Fan"), leftFanImage, leftSpeedLabel, leftFanSlider, leftFanSpeedPercent,
        leftFanMinSpeedTextField, leftFanMaxSpeedTextField);
    panel->addSubview(card);
    setView(panel);
}

void SingleFanController::viewDidLoad()
{
    setUpCorners();
    if (fanModeSegmented->selectedSegment() == 0) {
        SMCHelper::shared()->setFanMode(0, 0);
        leftFanSlider->setEnabled(false);
    }
    fillLimitLabels();
    connectSliders();
    addModeObservers();
}

std::vector<FanPanelController::FanSide> SingleFanController::sides() const
{
    return {leftSide()};
}

std::string_view SingleFanController::automaticNotificationName() const
{
    return NotificationName::updateSigleFanAutomatic;
}

bool SingleFanController::hasNoFan()
{
    if (fanCount != 0.0)
        return false;
    QVAlertManager::showNoFanAlert();
    return true;
}

// --- modes ---

void SingleFanController::applySystemMode()
{
    if (!hasNoFan())
        chooseSystemBody();
}

void SingleFanController::applyMaximumMode()
{
    if (!hasNoFan())
        applyMaximumBody();
}

void SingleFanController::applyManualMode()
{
    sendStoredManualSpeeds();
}

void SingleFanController::chooseManual()
{
    if (!hasNoFan())
        chooseManualBody();
}

void SingleFanController::applyCustomMode(bool userChosen)
{
    if (!hasNoFan())
        chooseCustomBody(userChosen);
}

void SingleFanController::showRulesAlert()
{
    QVAlertManager::showSingleFanRulesAlert([this] { revertToCurrentMode(); }, [this] { revertToCurrentMode(); });
}

// --- the slider drag ---

bool SingleFanController::mayApplyDrag()
{
    return !hasNoFan();
}

void SingleFanController::printDragProgress(int percent)
{
    Console::print("--- 左边风扇转速: " + std::to_string(rounded(leftFanSpeed)));
    Console::print("--- 右边风扇转速: " + std::to_string(rounded(rightFanSpeed)));
    Console::print("---风扇当前百分比: " + std::to_string(percent));
}

void SingleFanController::printDraggedSpeed(long rpm)
{
    Console::print("拖动后的值: " + std::to_string(rpm));
}

void SingleFanController::updateApp() { QVUpdateManager::shared().checkForUpdates(nullptr); }

} // namespace Aerlo
