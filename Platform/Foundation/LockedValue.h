#pragma once

#include <mutex>
#include <utility>

namespace Foundation {

// A value that any thread may read, replace or swap; each call takes the lock.
template <class T>
class LockedValue {
public:
    LockedValue() = default;
    explicit LockedValue(T value) : value_(std::move(value)) {}
    LockedValue(const LockedValue&) = delete;
    LockedValue& operator=(const LockedValue&) = delete;

    T get() const
    {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void set(T value)
    {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    // Puts `value` in and gives back what was there.
    T exchange(T value)
    {
        std::lock_guard lock(mutex_);
        std::swap(value_, value);
        return value;
    }

private:
    mutable std::mutex mutex_;
    T value_ {};
};

} // namespace Foundation
