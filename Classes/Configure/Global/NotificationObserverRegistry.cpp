#include "Classes/Configure/Global/NotificationObserverRegistry.h"

#include "Platform/Foundation/SharedInstance.h"

#include <mutex>
#include <set>

namespace Aerlo {

const void* NotificationObserverRegistry::objectFor(const std::optional<std::string>& object)
{
    if (!object)
        return nullptr;
    // Never destroyed: the addresses handed out stay valid for the process.
    struct Texts {
        std::mutex mutex;
        std::set<std::string, std::less<>> texts;
    };
    static Foundation::SharedInstance<Texts> instance;
    Texts& shared = instance.get();
    std::lock_guard lock(shared.mutex);
    return &*shared.texts.insert(*object).first;
}

void NotificationObserverRegistry::observe(Foundation::NotificationCenter& centre, std::string_view name,
                                           const void* observer, const void* object, Handler handler)
{
    auto token = centre.addObserverOnMainQueue(name, object, std::move(handler));
    std::lock_guard lock(mutex_);
    tokens_[Key(&centre, std::string(name), observer, object)].push_back(std::move(token));
}

void NotificationObserverRegistry::remove(Foundation::NotificationCenter& centre, std::string_view name,
                                          const void* observer, const void* object)
{
    removeWhere([&](const Key& key) {
        const auto& [keyCentre, keyName, keyObserver, keyObject] = key;
        return keyCentre == &centre && keyName == name && keyObserver == observer
               && (object == nullptr || keyObject == object);
    });
}

void NotificationObserverRegistry::removeAll(Foundation::NotificationCenter& centre, const void* observer)
{
    removeWhere([&](const Key& key) { return std::get<0>(key) == &centre && std::get<2>(key) == observer; });
}

void NotificationObserverRegistry::removeWhere(const std::function<bool(const Key&)>& matches)
{
    std::vector<Foundation::ObserverToken> removed;
    {
        std::lock_guard lock(mutex_);
        for (auto it = tokens_.begin(); it != tokens_.end();) {
            if (matches(it->first)) {
                std::move(it->second.begin(), it->second.end(), std::back_inserter(removed));
                it = tokens_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // The tokens unregister as they go, outside the lock.
}

} // namespace Aerlo
