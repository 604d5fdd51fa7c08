#pragma once

#include "Classes/Configure/Global/NotificationObserverRegistry.h"
#include "Platform/Foundation/Notification.h"

#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// Posting to and observing the default, distributed and workspace centres on behalf of this class.
// Block observers run on the main thread; their tokens are kept, so the remove operations work.
// The distributed centre is in-process: deliver-immediately has nothing to change there.
class QVNotificationManager {
public:
    using Handler = NotificationObserverRegistry::Handler;

    // The object this class posts and observes as.
    static const void* sentinel();

    static void post(std::string_view name, Foundation::UserInfo userInfo = {});
    static void observe(std::string_view name, Handler handler);
    static void removeObserver(std::string_view name);
    static void removeAllObservers();

    static void postDistributed(std::string_view name, const std::optional<std::string>& object,
                                Foundation::UserInfo userInfo, bool deliverImmediately);
    static void postDistributedImmediately(std::string_view name, const std::optional<std::string>& object,
                                           Foundation::UserInfo userInfo = {});
    static void postDistributedToAll(std::string_view name, Foundation::UserInfo userInfo = {});
    static void addDistributedObserver(const void* observer, Handler handler, std::string_view name,
                                       const std::optional<std::string>& object = std::nullopt);
    static void removeDistributedObserver(const void* observer, std::string_view name,
                                          const std::optional<std::string>& object = std::nullopt);
    static void removeDistributedObserver(std::string_view name, const std::optional<std::string>& object = std::nullopt);
    static void removeAllDistributedObservers();
    static void observeDistributed(std::string_view name, Handler handler);

    static void postWorkspace(std::string_view name, Foundation::UserInfo userInfo = {});
    static void observeWorkspace(std::string_view name, Handler handler);
    static void removeWorkspaceObserver(std::string_view name);
    static void removeAllWorkspaceObservers();

    static NotificationObserverRegistry& registry();
};

} // namespace Aerlo
