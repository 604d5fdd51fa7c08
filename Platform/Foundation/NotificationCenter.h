#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/Notification.h"
#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/TestAccess.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Foundation {

// Delivers posted notifications synchronously, on the posting thread, to the observers registered
// for the name (and for the sender, when an observer gave one), in registration order.
// Thread-safe; observers may be added or removed during a delivery: an observer added during a post
// does not receive that post, one removed during a post is not called afterwards.
class AERLO_FOUNDATION_EXPORT NotificationCenter {
public:
    using Callback = std::function<void(const Notification&)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();
    static NotificationCenter& workspace();
    // Cross-process notifications; in-process for now.
    static NotificationCenter& distributed();

    // `name` empty observes every name; `object` nullptr observes every sender.
    [[nodiscard]] ObserverToken addObserver(std::string_view name, const void* object, Callback callback);
    // The same, with the callback run on the main thread: at once when posted there, else later through
    // DispatchQueue::main() (not at all once the token has gone).
    [[nodiscard]] ObserverToken addObserverOnMainQueue(std::string_view name, const void* object, Callback callback);

    void post(std::string_view name, const void* object = nullptr, UserInfo userInfo = {});
    void post(const Notification& notification);

    // Unregisters every observer (their tokens become inert).
    void removeAllObservers();

private:
    struct State;
    std::shared_ptr<State> state_;

    friend struct ::TestAccess;
    // removeAllObservers on the three shared centres (tests).
    static void resetForTesting();
};

} // namespace Foundation
