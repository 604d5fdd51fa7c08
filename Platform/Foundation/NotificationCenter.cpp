#include "Platform/Foundation/NotificationCenter.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

namespace Foundation {

namespace {

struct Observer {
    std::uint64_t id;
    std::string name;
    const void* object;
    NotificationCenter::Callback callback;
    std::atomic<bool> active {true};

    bool matches(const Notification& notification) const
    {
        return (name.empty() || name == notification.name) && (!object || object == notification.object);
    }
};

} // namespace

struct NotificationCenter::State {
    std::mutex mutex;
    std::vector<std::shared_ptr<Observer>> observers;
    std::uint64_t nextId = 1;

    // Observers are released outside the lock: their callbacks may own tokens of this centre.
    void remove(std::uint64_t id)
    {
        std::shared_ptr<Observer> removed;
        {
            std::lock_guard lock(mutex);
            for (auto it = observers.begin(); it != observers.end(); ++it) {
                if ((*it)->id == id) {
                    removed = std::move(*it);
                    removed->active = false;
                    observers.erase(it);
                    break;
                }
            }
        }
    }

    void removeAll()
    {
        std::vector<std::shared_ptr<Observer>> removed;
        {
            std::lock_guard lock(mutex);
            removed.swap(observers);
            for (auto& observer : removed)
                observer->active = false;
        }
    }
};

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() { state_->removeAll(); }

NotificationCenter& NotificationCenter::defaultCenter()
{
    static SharedInstance<NotificationCenter> center;
    return center.get();
}

NotificationCenter& NotificationCenter::workspace()
{
    static SharedInstance<NotificationCenter> center;
    return center.get();
}

NotificationCenter& NotificationCenter::distributed()
{
    static SharedInstance<NotificationCenter> center;
    return center.get();
}

ObserverToken NotificationCenter::addObserver(std::string_view name, const void* object, Callback callback)
{
    if (!callback)
        return {};
    auto observer = std::make_shared<Observer>();
    observer->name = std::string(name);
    observer->object = object;
    observer->callback = std::move(callback);
    std::uint64_t id = 0;
    {
        std::lock_guard lock(state_->mutex);
        id = observer->id = state_->nextId++;
        state_->observers.push_back(std::move(observer));
    }
    return ObserverToken([weak = std::weak_ptr<State>(state_), id] {
        if (auto state = weak.lock())
            state->remove(id);
    });
}

ObserverToken NotificationCenter::addObserverOnMainQueue(std::string_view name, const void* object, Callback callback)
{
    if (!callback)
        return {};
    auto live = std::make_shared<std::atomic<bool>>(true);
    auto shared = std::make_shared<Callback>(std::move(callback));
    ObserverToken inner = addObserver(name, object, [live, shared](const Notification& notification) {
        if (RunLoop::main().isMainThread()) {
            (*shared)(notification);
            return;
        }
        DispatchQueue::main().async([live, shared, notification] {
            if (live->load())
                (*shared)(notification);
        });
    });
    return ObserverToken([live, inner = std::make_shared<ObserverToken>(std::move(inner))] {
        live->store(false);
        inner->reset();
    });
}

void NotificationCenter::post(std::string_view name, const void* object, UserInfo userInfo)
{
    post(Notification {std::string(name), object, std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification)
{
    std::vector<std::shared_ptr<Observer>> receivers;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& observer : state_->observers) {
            if (observer->matches(notification))
                receivers.push_back(observer);
        }
    }
    for (const auto& observer : receivers) {
        if (observer->active)
            observer->callback(notification);
    }
}

void NotificationCenter::removeAllObservers() { state_->removeAll(); }

void NotificationCenter::resetForTesting()
{
    defaultCenter().removeAllObservers();
    workspace().removeAllObservers();
    distributed().removeAllObservers();
}

} // namespace Foundation
