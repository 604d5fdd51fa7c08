#pragma once

#include "Classes/Configure/Global/NotificationObserverRegistry.h"
#include "Platform/Foundation/NotificationCenter.h"

#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// The operations both notification managers offer, each manager on its own behalf.
template <class Owner>
class NotificationManagerOperations {
public:
    using Handler = NotificationObserverRegistry::Handler;

    // The object the manager posts and observes as: one per manager class.
    static const void* sentinel()
    {
        static const char object = 0;
        return &object;
    }
    // The tokens of the manager's observers.
    static NotificationObserverRegistry& registry()
    {
        static NotificationObserverRegistry registry;
        return registry;
    }

    static void observeDistributed(std::string_view name, Handler handler)
    {
        registry().observe(distributed(), name, sentinel(), nullptr, std::move(handler));
    }
    static void removeDistributedObserver(std::string_view name,
                                          const std::optional<std::string>& object = std::nullopt)
    {
        registry().remove(distributed(), name, sentinel(), NotificationObserverRegistry::objectFor(object));
    }
    static void removeAllDistributedObservers() { registry().removeAll(distributed(), sentinel()); }

    static void postWorkspace(std::string_view name, Foundation::UserInfo userInfo = {})
    {
        workspace().post(name, sentinel(), std::move(userInfo));
    }
    static void observeWorkspace(std::string_view name, Handler handler)
    {
        registry().observe(workspace(), name, sentinel(), nullptr, std::move(handler));
    }
    static void removeWorkspaceObserver(std::string_view name) { registry().remove(workspace(), name, sentinel()); }
    static void removeAllWorkspaceObservers() { registry().removeAll(workspace(), sentinel()); }

protected:
    static Foundation::NotificationCenter& distributed() { return Foundation::NotificationCenter::distributed(); }
    static Foundation::NotificationCenter& workspace() { return Foundation::NotificationCenter::workspace(); }
};

} // namespace Aerlo
