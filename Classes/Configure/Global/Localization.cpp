#include "Classes/Configure/Global/Localization.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

Bundler& Bundler::shared()
{
    static Foundation::SharedInstance<Bundler> bundler;
    return bundler.get();
}

const Foundation::Bundle& Bundler::bundle()
{
    if (!bundle_)
        bundle_.emplace(Foundation::Bundle::main());
    return *bundle_;
}

namespace Localization {

// Each text is looked up on its first read and kept for the life of the process.
#define AERLO_LOCALIZED(function, key)                                                                                 \
    const std::string& function()                                                                                      \
    {                                                                                                                  \
        static const std::string text = LocalizationTable::text(key);                                                  \
        return text;                                                                                                   \
    }

namespace TabOption {
AERLO_LOCALIZED(settings, "tab.types.settings")
AERLO_LOCALIZED(customSpeed, "tab.types.custom_speed")
AERLO_LOCALIZED(dashboard, "tab.types.dashboard")
AERLO_LOCALIZED(toolsLibrary, "tab.types.tools.library")
AERLO_LOCALIZED(tutorial, "tab.types.tutorial")
AERLO_LOCALIZED(freeApps, "tab.types.free_apps")
AERLO_LOCALIZED(about, "tab.types.about")
} // namespace TabOption

namespace AppleScript::Alert {
AERLO_LOCALIZED(messageText, "appleScript.alert.messageText")
AERLO_LOCALIZED(informativeText, "appleScript.alert.informativeText")
AERLO_LOCALIZED(install, "appleScript.alert.install")
AERLO_LOCALIZED(cancel, "appleScript.alert.cancel")
} // namespace AppleScript::Alert

namespace StatusBar {
AERLO_LOCALIZED(setting, "statusBar.title.setting")
AERLO_LOCALIZED(userSupport, "statusBar.title.userSupport")
AERLO_LOCALIZED(update, "statusBar.title.update")
AERLO_LOCALIZED(plugin, "statusBar.title.plugin")
AERLO_LOCALIZED(about, "statusBar.title.about")
AERLO_LOCALIZED(quit, "statusBar.title.quit")
} // namespace StatusBar

namespace Preference::Appearance {
AERLO_LOCALIZED(auto_, "preference.appearance.auto")
AERLO_LOCALIZED(light, "preference.appearance.light")
AERLO_LOCALIZED(dark, "preference.appearance.dark")
} // namespace Preference::Appearance

namespace Tip {
AERLO_LOCALIZED(title, "Tip.title")
} // namespace Tip

#undef AERLO_LOCALIZED

} // namespace Localization

} // namespace Aerlo
