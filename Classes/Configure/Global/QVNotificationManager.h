#pragma once

#include "Classes/Configure/Global/NotificationManagerOperations.h"

namespace Aerlo {

// Posting to and observing the default, distributed and workspace centres on behalf of this class.
// Block observers run on the main thread; their tokens are kept, so the remove operations work.
// The distributed centre is in-process: deliver-immediately has nothing to change there.
class QVNotificationManager : public NotificationManagerOperations<QVNotificationManager> {
public:
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
                                          const std::optional<std::string>& object);
    using NotificationManagerOperations::removeDistributedObserver;
};

} // namespace Aerlo
