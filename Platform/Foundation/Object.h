#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <any>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

namespace Foundation {

class Object;

// What an observer asks to receive with each change.
enum KeyValueObservingOptions : unsigned { new_ = 1u << 0, old = 1u << 1 };

// The change an observer receives: "new" and "old" (when asked for, and when there is a value) and "kind" (1).
using KeyValueChange = std::map<std::string, std::any>;

// The root of observable objects. C++ cannot list an object's fields, so only declared properties
// (Property below) are known and observable. Properties are kept per class level, in the order they
// are declared; the levels run from the root to the most derived class that declares properties.
//
// Observers register per key; a change of a property calls observeValue on each observer of its key, on
// the thread that made the change. An object that is destroyed stops observing and being observed.
class AERLO_FOUNDATION_EXPORT Object {
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // The declared property names, one list per class level, the most derived level first.
    std::vector<std::vector<std::string>> propertyLevels() const;

    // Adds a registration (adding the same observer and key twice gives two registrations).
    void addObserver(Object* observer, const std::string& keyPath, unsigned options, void* context);
    // Removes one registration of the observer for the key; false when there is none.
    bool removeObserver(Object* observer, const std::string& keyPath);

    // Called on the observer for each change of an observed key. `keyPath` is absent only for
    // callers outside this class.
    virtual void observeValue(const std::optional<std::string>& keyPath, Object* object, const KeyValueChange* change,
                              void* context);

protected:
    // Tells the observers of `key` that it changed.
    void didChangeValue(const std::string& key, const std::any& oldValue, const std::any& newValue);

private:
    template <class T>
    friend class Property;

    struct Registration {
        Object* observer;
        std::string keyPath;
        unsigned options;
        void* context;
    };

    void declareProperty(std::type_index level, std::string name);
    void forgetObserved(Object* object);

    mutable std::recursive_mutex mutex_;
    std::vector<std::pair<std::type_index, std::vector<std::string>>> levels_;
    std::vector<Registration> registrations_; // who observes this object
    std::multiset<Object*> observed_; // what this object observes (one entry per registration)
};

// A stored property that its owner's observers can watch: `Property<int> count{this, "count"};`
// as a member of a class derived from Object. Assigning a value tells the observers, with the old value.
template <class T>
class Property {
public:
    template <class Owner>
    Property(Owner* owner, std::string name, T initial = T {})
        : owner_(owner), name_(std::move(name)), value_(std::move(initial))
    {
        static_cast<Object*>(owner)->declareProperty(typeid(Owner), name_);
    }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const std::string& name() const { return name_; }

    void set(T value)
    {
        std::any old = value_;
        value_ = std::move(value);
        owner_->didChangeValue(name_, old, std::any(value_));
    }
    Property& operator=(T value)
    {
        set(std::move(value));
        return *this;
    }

private:
    Object* owner_;
    std::string name_;
    T value_;
};

} // namespace Foundation
