#include "QVToolsKit/UI/QVAppearanceManager.h"

#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Appearance.h"

#include <string>

namespace QVToolsKit {

namespace {

Foundation::SharedInstance<QVAppearanceManager>& instance()
{
    static Foundation::SharedInstance<QVAppearanceManager> i;
    return i;
}

} // namespace

QVAppearanceManager& QVAppearanceManager::shared() { return instance().get(); }

void QVAppearanceManager::resetForTesting() { instance().resetForTesting(); }

QVAppearanceManager::QVAppearanceManager() { startObservingAppearanceChanges(); }

void QVAppearanceManager::startObservingAppearanceChanges()
{
    // The token lives in the manager: a manager that is gone hears nothing.
    kvoToken = Kit::Appearance::observeEffectiveApplication(
        [] { Foundation::NotificationCenter::defaultCenter().post(didChangeNotification); });
}

QVAppearanceMode QVAppearanceManager::detectCurrentAppearanceMode() const
{
    if (Foundation::UserDefaults::standard().boolValue("AppleInterfaceStyleSwitchesAutomatically"))
        return QVAppearanceMode::automatic;
    const auto match = Kit::Appearance::effectiveApplication().bestMatch(
        {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::highContrastDarkAquaName)});
    return match ? QVAppearanceMode::dark : QVAppearanceMode::light;
}

void QVAppearanceManager::toggleAppearance()
{
    const auto match = Kit::Appearance::effectiveApplication().bestMatch(
        {std::string(Kit::Appearance::aquaName), std::string(Kit::Appearance::darkAquaName)});
    const bool dark = match && *match == Kit::Appearance::darkAquaName;
    Kit::Appearance::setApplication(dark ? Kit::Appearance::aqua() : Kit::Appearance::darkAqua());
}

} // namespace QVToolsKit
