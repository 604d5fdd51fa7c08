#include "Platform/Foundation/Object.h"

#include <algorithm>

namespace Foundation {

Object::~Object()
{
    std::vector<Registration> registrations;
    std::multiset<Object*> observed;
    {
        std::lock_guard lock(mutex_);
        registrations.swap(registrations_);
        observed.swap(observed_);
    }
    for (const Registration& registration : registrations)
        if (registration.observer != this)
            registration.observer->forgetObserved(this);
    for (Object* object : std::set<Object*>(observed.begin(), observed.end())) {
        if (object == this)
            continue;
        std::lock_guard lock(object->mutex_);
        std::erase_if(object->registrations_, [&](const Registration& r) { return r.observer == this; });
    }
}

std::vector<std::vector<std::string>> Object::propertyLevels() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::vector<std::string>> levels;
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level)
        levels.push_back(level->second);
    return levels;
}

void Object::declareProperty(std::type_index level, std::string name)
{
    std::lock_guard lock(mutex_);
    if (levels_.empty() || levels_.back().first != level)
        levels_.emplace_back(level, std::vector<std::string> {});
    levels_.back().second.push_back(std::move(name));
}

void Object::addObserver(Object* observer, const std::string& keyPath, unsigned options, void* context)
{
    if (!observer)
        return;
    {
        std::lock_guard lock(mutex_);
        registrations_.push_back({observer, keyPath, options, context});
    }
    std::lock_guard lock(observer->mutex_);
    observer->observed_.insert(this);
}

bool Object::removeObserver(Object* observer, const std::string& keyPath)
{
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(registrations_.rbegin(), registrations_.rend(), [&](const Registration& r) {
            return r.observer == observer && r.keyPath == keyPath;
        });
        if (found == registrations_.rend())
            return false;
        registrations_.erase(std::next(found).base());
    }
    std::lock_guard lock(observer->mutex_);
    if (const auto entry = observer->observed_.find(this); entry != observer->observed_.end())
        observer->observed_.erase(entry);
    return true;
}

void Object::forgetObserved(Object* object)
{
    std::lock_guard lock(mutex_);
    observed_.erase(object);
}

void Object::observeValue(const std::optional<std::string>&, Object*, const KeyValueChange*, void*) {}

void Object::didChangeValue(const std::string& key, const std::any& oldValue, const std::any& newValue)
{
    std::vector<Registration> matching;
    {
        std::lock_guard lock(mutex_);
        for (const Registration& registration : registrations_)
            if (registration.keyPath == key)
                matching.push_back(registration);
    }
    for (const Registration& registration : matching) {
        KeyValueChange change {{"kind", std::any(1)}};
        if ((registration.options & KeyValueObservingOptions::new_) && newValue.has_value())
            change["new"] = newValue;
        if ((registration.options & KeyValueObservingOptions::old) && oldValue.has_value())
            change["old"] = oldValue;
        registration.observer->observeValue(key, this, &change, registration.context);
    }
}

} // namespace Foundation
