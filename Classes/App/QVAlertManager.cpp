#include "Classes/App/QVAlertManager.h"

#include "Classes/App/AppDelegate.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/KeyCode.h"

#include <atomic>
#include <initializer_list>
#include <string>
#include <string_view>

namespace Aerlo {

namespace {

std::atomic<bool> chipTipsShown {false};
std::atomic<bool> addRulesShown {false};

// `cancel`: the key of the button Esc chooses, if any.
Kit::ModalResponse runAlert(std::string_view message, std::string_view information,
    std::initializer_list<std::string_view> buttons, Kit::AlertStyle style, std::string_view cancel = {})
{
    Kit::Alert alert;
    alert.setMessageText(LocalizationTable::text(message));
    alert.setInformativeText(LocalizationTable::text(information));
    for (const std::string_view button : buttons) {
        Kit::AlertButton& added = alert.addButton(LocalizationTable::text(button));
        if (button == cancel)
            added.keyEquivalent = Kit::KeyCharacters::escape;
    }
    alert.setAlertStyle(style);
    return alert.runModal();
}

// The flag is set before the alert shows, so that a call made while it is up shows no second copy.
void runOnce(std::atomic<bool>& shown, std::string_view message, std::string_view information, std::string_view button,
    Kit::AlertStyle style)
{
    if (shown.exchange(true))
        return;
    runAlert(message, information, {button}, style);
}

} // namespace

bool QVAlertManager::showFansStillForcedAlert(bool refused)
{
    Kit::Alert alert;
    alert.setMessageText(LocalizationTable::text("helper.gone.forced.title"));
    std::string information = LocalizationTable::text("helper.gone.forced.message");
    if (refused)
        information = LocalizationTable::text("helper.install.refused.message") + "\n\n" + information;
    alert.setInformativeText(information);
    alert.addButton(LocalizationTable::text("helper.reinstall"));
    alert.addButton(LocalizationTable::text("helper.later"));
    alert.setAlertStyle(Kit::AlertStyle::critical);
    return alert.runModal() == Kit::AlertFirstButtonReturn;
}

void QVAlertManager::showHelperRefusedAlert()
{
    runAlert("helper.install.refused.message", "", {"Ok"}, Kit::AlertStyle::warning);
}

void QVAlertManager::showNoFanAlert()
{
    runAlert("NoFanKind tips", "NoFanMessage", {"NoFanOK"}, Kit::AlertStyle::warning);
}

void QVAlertManager::showChipTipsAlert()
{
    runOnce(chipTipsShown, "alert.m3.tips", "alert.m3.message", "alert.m3.ok", Kit::AlertStyle::informational);
}

void QVAlertManager::presentFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel)
{
    const Kit::ModalResponse response = runAlert("alert.rules.tips", "alert.rules.message",
        {"alert.rules.setting", "alert.rules.cancel"}, Kit::AlertStyle::informational, "alert.rules.cancel");
    if (response != Kit::AlertFirstButtonReturn) {
        if (onCancel)
            onCancel();
        return;
    }
    if (auto delegate = AppDelegate::applicationDelegate().lock()) {
        delegate->closeFanSpeedWindow();
        delegate->openSettings();
    }
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::openCustomFanSpeedPreference);
    if (onSettings)
        onSettings();
}

void QVAlertManager::showFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel)
{
    presentFanRulesAlert(onSettings, onCancel);
}

void QVAlertManager::showSingleFanRulesAlert(const std::function<void()>& onSettings, const std::function<void()>& onCancel)
{
    presentFanRulesAlert(onSettings, onCancel);
}

void QVAlertManager::showAddRulesAlert()
{
    runOnce(addRulesShown, "alert.add.rules.tips", "alert.add.rules.message", "alert.add.rules.ok",
        Kit::AlertStyle::warning);
}

bool QVAlertManager::hasShownAddRules()
{
    return addRulesShown;
}

void QVAlertManager::resetForTesting()
{
    chipTipsShown = false;
    addRulesShown = false;
}

} // namespace Aerlo
