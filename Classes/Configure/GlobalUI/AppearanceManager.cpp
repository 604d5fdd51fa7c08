#include "Classes/Configure/GlobalUI/AppearanceManager.h"

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Appearance.h"

#include <string>

namespace Aerlo {

int AppearanceManager::currentAppearanceMode()
{
    if (Foundation::UserDefaults::standard().integer("AppleInterfaceStyleSwitchesAutomatically") == 1)
        return automatic;
    const Kit::Appearance appearance = Kit::Appearance::effectiveApplication();
    const auto match = appearance.bestMatch(
        {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::highContrastDarkAquaName)});
    return match ? dark : light;
}

} // namespace Aerlo
