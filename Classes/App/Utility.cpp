#include "Classes/App/Utility.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/KeyCode.h"

#include <memory>

namespace Aerlo {

bool Utility::confirm(const std::string& title, const std::string& message, Kit::Window* window,
                      std::function<void(Kit::ModalResponse)> completion)
{
    auto alert = std::make_shared<Kit::Alert>();
    alert->setIcon(Kit::Image::named("AppIcon"));
    alert->setAlertStyle(Kit::AlertStyle::informational);
    alert->setMessageText(title);
    alert->setInformativeText(message);
    alert->addButton(LocalizationTable::text("Ok"));
    alert->addButton(LocalizationTable::text("Cancel")).keyEquivalent = Kit::KeyCharacters::escape;
    alert->setShowsHelp(false);
    alert->setHelpAnchor("NSAlert");
    if (!window)
        return alert->runModal() == Kit::AlertFirstButtonReturn;
    // The alert lives until its sheet ends.
    alert->beginSheetModal(window, [alert, completion = std::move(completion)](Kit::ModalResponse response) {
        if (completion)
            completion(response);
    });
    return false;
}

} // namespace Aerlo
