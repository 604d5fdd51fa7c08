#pragma once

#include "Classes/Configure/Global/NotificationObserverRegistry.h"
#include "Platform/Foundation/Notification.h"

#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// The distributed observe and removals and the workspace operations, on behalf of this class.
class QVNotificationManager2 {
public:
    using Handler = NotificationObserverRegistry::Handler;

    static const void* sentinel();

    static void observeDistributed(std::string_view name, Handler handler);
    static void removeDistributedObserver(std::string_view name, const std::optional<std::string>& object = std::nullopt);
    static void removeAllDistributedObservers();

    static void postWorkspace(std::string_view name, Foundation::UserInfo userInfo = {});
    static void observeWorkspace(std::string_view name, Handler handler);
    static void removeWorkspaceObserver(std::string_view name);
    static void removeAllWorkspaceObservers();

    static NotificationObserverRegistry& registry();
};

} // namespace Aerlo
