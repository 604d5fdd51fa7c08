#pragma once

#include "Platform/Foundation/NotificationCenter.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Aerlo {

// Keeps the tokens of observers added on behalf of an observer object, so that they can be removed
// by centre, name, observer and object. Handlers run on the main thread.
class NotificationObserverRegistry {
public:
    using Handler = std::function<void(const Foundation::Notification&)>;

    // A stable sender pointer for an object text (the same text, the same pointer); nullptr for none.
    static const void* objectFor(const std::optional<std::string>& object);

    void observe(Foundation::NotificationCenter& centre, std::string_view name, const void* observer,
                 const void* object, Handler handler);
    // Removes the observer's registrations for the name (and the object, when given).
    void remove(Foundation::NotificationCenter& centre, std::string_view name, const void* observer,
                const void* object = nullptr);
    // Removes the observer's registrations on the centre.
    void removeAll(Foundation::NotificationCenter& centre, const void* observer);

private:
    using Key = std::tuple<const Foundation::NotificationCenter*, std::string, const void*, const void*>;
    void removeWhere(const std::function<bool(const Key&)>& matches);
    std::mutex mutex_;
    std::map<Key, std::vector<Foundation::ObserverToken>> tokens_;
};

} // namespace Aerlo
