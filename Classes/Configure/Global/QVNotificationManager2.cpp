#include "Classes/Configure/Global/QVNotificationManager2.h"

namespace Aerlo {

namespace {

using Foundation::NotificationCenter;

NotificationCenter& distributed() { return NotificationCenter::distributed(); }
NotificationCenter& workspace() { return NotificationCenter::workspace(); }

} // namespace

const void* QVNotificationManager2::sentinel()
{
    static const char object = 0;
    return &object;
}

NotificationObserverRegistry& QVNotificationManager2::registry()
{
    static NotificationObserverRegistry registry;
    return registry;
}

void QVNotificationManager2::observeDistributed(std::string_view name, Handler handler)
{
    registry().observe(distributed(), name, sentinel(), nullptr, std::move(handler));
}

void QVNotificationManager2::removeDistributedObserver(std::string_view name, const std::optional<std::string>& object)
{
    registry().remove(distributed(), name, sentinel(), NotificationObserverRegistry::objectFor(object));
}

void QVNotificationManager2::removeAllDistributedObservers()
{
    registry().removeAll(distributed(), sentinel());
}

void QVNotificationManager2::postWorkspace(std::string_view name, Foundation::UserInfo userInfo)
{
    workspace().post(name, sentinel(), std::move(userInfo));
}

void QVNotificationManager2::observeWorkspace(std::string_view name, Handler handler)
{
    registry().observe(workspace(), name, sentinel(), nullptr, std::move(handler));
}

void QVNotificationManager2::removeWorkspaceObserver(std::string_view name)
{
    registry().remove(workspace(), name, sentinel());
}

void QVNotificationManager2::removeAllWorkspaceObservers()
{
    registry().removeAll(workspace(), sentinel());
}

} // namespace Aerlo
