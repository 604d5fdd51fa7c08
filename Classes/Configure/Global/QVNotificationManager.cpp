#include "Classes/Configure/Global/QVNotificationManager.h"

namespace Aerlo {

namespace {

using Foundation::NotificationCenter;

NotificationCenter& defaultCentre() { return NotificationCenter::defaultCenter(); }
NotificationCenter& distributed() { return NotificationCenter::distributed(); }
NotificationCenter& workspace() { return NotificationCenter::workspace(); }

} // namespace

const void* QVNotificationManager::sentinel()
{
    static const char object = 0;
    return &object;
}

NotificationObserverRegistry& QVNotificationManager::registry()
{
    static NotificationObserverRegistry registry;
    return registry;
}

void QVNotificationManager::post(std::string_view name, Foundation::UserInfo userInfo)
{
    defaultCentre().post(name, sentinel(), std::move(userInfo));
}

void QVNotificationManager::observe(std::string_view name, Handler handler)
{
    registry().observe(defaultCentre(), name, sentinel(), nullptr, std::move(handler));
}

void QVNotificationManager::removeObserver(std::string_view name)
{
    registry().remove(defaultCentre(), name, sentinel());
}

void QVNotificationManager::removeAllObservers()
{
    registry().removeAll(defaultCentre(), sentinel());
}

void QVNotificationManager::postDistributed(std::string_view name, const std::optional<std::string>& object,
                                            Foundation::UserInfo userInfo, bool)
{
    distributed().post(name, NotificationObserverRegistry::objectFor(object), std::move(userInfo));
}

void QVNotificationManager::postDistributedImmediately(std::string_view name, const std::optional<std::string>& object,
                                                       Foundation::UserInfo userInfo)
{
    postDistributed(name, object, std::move(userInfo), true);
}

void QVNotificationManager::postDistributedToAll(std::string_view name, Foundation::UserInfo userInfo)
{
    postDistributed(name, std::nullopt, std::move(userInfo), false);
}

void QVNotificationManager::addDistributedObserver(const void* observer, Handler handler, std::string_view name,
                                                   const std::optional<std::string>& object)
{
    registry().observe(distributed(), name, observer, NotificationObserverRegistry::objectFor(object),
                       std::move(handler));
}

void QVNotificationManager::removeDistributedObserver(const void* observer, std::string_view name,
                                                      const std::optional<std::string>& object)
{
    registry().remove(distributed(), name, observer, NotificationObserverRegistry::objectFor(object));
}

void QVNotificationManager::removeDistributedObserver(std::string_view name, const std::optional<std::string>& object)
{
    removeDistributedObserver(sentinel(), name, object);
}

void QVNotificationManager::removeAllDistributedObservers()
{
    registry().removeAll(distributed(), sentinel());
}

void QVNotificationManager::observeDistributed(std::string_view name, Handler handler)
{
    addDistributedObserver(sentinel(), std::move(handler), name);
}

void QVNotificationManager::postWorkspace(std::string_view name, Foundation::UserInfo userInfo)
{
    workspace().post(name, sentinel(), std::move(userInfo));
}

void QVNotificationManager::observeWorkspace(std::string_view name, Handler handler)
{
    registry().observe(workspace(), name, sentinel(), nullptr, std::move(handler));
}

void QVNotificationManager::removeWorkspaceObserver(std::string_view name)
{
    registry().remove(workspace(), name, sentinel());
}

void QVNotificationManager::removeAllWorkspaceObservers()
{
    registry().removeAll(workspace(), sentinel());
}

} // namespace Aerlo
