#include "QVToolsKit/QVLoginItemManager.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/AppService.h"
#include "Platform/System/ProcessInfo.h"

namespace QVToolsKit {

using SystemPlatform::AppService;

QVLoginItemManager& QVLoginItemManager::shared()
{
    static Foundation::SharedInstance<QVLoginItemManager> instance;
    return instance.get();
}

void QVLoginItemManager::setLaunchAtLogin(bool on, std::string_view bundleID)
{
    if (SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(13, 0))
        setLaunchAtLoginUsingSMAppService(on, bundleID);
    else
        (void)AppService::setLoginItemEnabled(bundleID, on);
}

void QVLoginItemManager::setLaunchAtLoginUsingSMAppService(bool on, std::string_view bundleID)
{
    AppService service = AppService::loginItem(bundleID);
    (void)(on ? service.register_() : service.unregister());
}

} // namespace QVToolsKit
