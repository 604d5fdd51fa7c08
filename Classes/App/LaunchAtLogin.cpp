#include "Classes/App/LaunchAtLogin.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/AppService.h"
#include "Platform/System/ProcessInfo.h"

namespace Aerlo {

namespace {

using SystemPlatform::AppService;

bool usesAppService() { return SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(13, 0); }

} // namespace

bool LaunchAtLogin::isEnabled()
{
    if (usesAppService())
        return AppService::mainApp().status() == AppService::Status::enabled;
    return legacyIsEnabled();
}

void LaunchAtLogin::setEnabled(bool enabled)
{
    if (usesAppService())
        (void)setUsingAppService(enabled);
    else
        (void)AppService::setLoginItemEnabled(helperBundleIdentifier, enabled);
}

bool LaunchAtLogin::legacyIsEnabled()
{
    // The helper's own session job: an entry that starts the helper and that the desktop has not switched off.
    return AppService::loginItem(helperBundleIdentifier).status() == AppService::Status::enabled;
}

bool LaunchAtLogin::setUsingAppService(bool enabled)
{
    AppService service = AppService::mainApp();
    const bool registered = service.status() == AppService::Status::enabled;
    if (enabled) {
        if (registered)
            (void)service.unregister();
        if (const auto result = service.register_(); !result.ok()) {
            Foundation::Console::print("failed to enable launch at login: " + result.error());
            return false;
        }
        return true;
    }
    if (!registered)
        return true;
    if (const auto result = service.unregister(); !result.ok()) {
        Foundation::Console::print("failed to disable launch at login: " + result.error());
        return false;
    }
    return true;
}

void LaunchAtLogin::migrateIfNeeded()
{
    if (!usesAppService())
        return;
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    if (defaults.object(migrationKey))
        return;
    // Marked done, and the helper switched off, only once the main application's entry is as wanted.
    if (!setUsingAppService(legacyIsEnabled()))
        return;
    (void)defaults.set(true, migrationKey);
    (void)AppService::setLoginItemEnabled(helperBundleIdentifier, false);
    (void)AppService::loginItem(helperBundleIdentifier).unregister();
}

} // namespace Aerlo
