#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <new>
#include <utility>

namespace Foundation {

// The one way this program makes a process-wide ("shared") object. The object is built on first use,
// from any thread, and is then the same object at the same address for the life of the process (it is
// never destroyed at exit, so late users during shutdown stay safe).
//
// Tests may reset it: the old object is destroyed and the next get() rebuilds it in the same storage,
// so a reference taken before a reset never dangles (it refers to the rebuilt object) and no retired
// object is kept. A reset must not race with users of the instance.
//
// For a replaceable service, make T a std::shared_ptr to the interface: holders of a copy keep the
// old implementation alive after a reset.
//
//     SMC& SMC::shared() { return instance().get(); }
//     static Foundation::SharedInstance<SMC>& instance() { static Foundation::SharedInstance<SMC> i; return i; }
template <class T>
class SharedInstance {
public:
    // Builds the object into `storage` with placement new: `new (storage) T(...)`.
    using Maker = std::function<void(void* storage)>;

    SharedInstance() : SharedInstance([](void* storage) { new (storage) T(); }) {}
    explicit SharedInstance(Maker maker) : defaultMaker_(maker), maker_(std::move(maker)) {}
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;
    // Deliberately leaves the object alive: see above.
    ~SharedInstance() = default;

    T& get()
    {
        if (T* object = object_.load(std::memory_order_acquire))
            return *object;
        std::lock_guard lock(mutex_);
        if (T* object = object_.load(std::memory_order_relaxed))
            return *object;
        maker_(storage_);
        T* object = std::launder(reinterpret_cast<T*>(storage_));
        object_.store(object, std::memory_order_release);
        return *object;
    }

    // Whether the object has been built (and not reset since).
    bool exists() const { return object_.load(std::memory_order_acquire) != nullptr; }

    // Tests: destroys the object; the next get() builds it with `maker`, or with the default maker
    // when `maker` is empty; that maker builds the object again after each later get() of an empty slot.
    void resetForTesting(Maker maker = nullptr)
    {
        std::lock_guard lock(mutex_);
        if (T* object = object_.exchange(nullptr, std::memory_order_acq_rel))
            object->~T();
        maker_ = maker ? std::move(maker) : defaultMaker_;
    }

private:
    const Maker defaultMaker_;
    Maker maker_;
    std::mutex mutex_;
    std::atomic<T*> object_{nullptr};
    alignas(T) unsigned char storage_[sizeof(T)];
};

} // namespace Foundation
