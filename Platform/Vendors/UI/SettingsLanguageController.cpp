#include "Platform/Vendors/UI/SettingsLanguageController.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/KeyCode.h"
#include "Platform/Vendors/UI/RUDuzodize.h"

namespace Vendors {

namespace {

std::string localizedText(std::string_view key) { return Foundation::Bundle::main().localizedString(key); }

} // namespace

void SettingsLanguageController::present(Kit::Window* window)
{
    const auto& model = RUDuzodize::supportedLanguagesModel();
    if (index_ < 0 || index_ >= static_cast<long>(model.size())) {
        RUDuzodize::post(LanguageAction::reselect);
        return;
    }
    std::string message = localizedText("language.switch.message");
    if (const auto at = message.find("%@"); at != std::string::npos)
        message.replace(at, 2, model[static_cast<std::size_t>(index_)].name);
    alert_ = std::make_shared<Kit::Alert>();
    alert_->setAlertStyle(Kit::AlertStyle::informational);
    alert_->setMessageText(message);
    alert_->setInformativeText(localizedText("language.switch.restart"));
    alert_->addButton(localizedText("language.switch.confirm"));
    alert_->addButton(localizedText("language.switch.cancel")).keyEquivalent = Kit::KeyCharacters::escape;
    if (!window) {
        finish(alert_->runModal() == Kit::AlertFirstButtonReturn);
        return;
    }
    // The sheet answers later: this controller stays alive until then.
    alert_->beginSheetModal(window, [self = shared_from_this()](Kit::ModalResponse response) {
        self->finish(response == Kit::AlertFirstButtonReturn);
    });
}

void SettingsLanguageController::finish(bool confirmed)
{
    const auto& model = RUDuzodize::supportedLanguagesModel();
    if (confirmed && index_ >= 0 && index_ < static_cast<long>(model.size())
        && RUDuzodize::choose(model[static_cast<std::size_t>(index_)])) {
        RUDuzodize::post(LanguageAction::changed);
        return;
    }
    RUDuzodize::post(LanguageAction::reselect);
}

} // namespace Vendors
