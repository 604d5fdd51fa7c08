#include "Classes/Configure/Global/QVNotificationManager.h"

namespace Aerlo {

namespace {

Foundation::NotificationCenter& defaultCentre() { return Foundation::NotificationCenter::defaultCenter(); }

} // namespace

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

void QVNotificationManager::removeAllObservers() { registry().removeAll(defaultCentre(), sentinel()); }

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

} // namespace Aerlo
