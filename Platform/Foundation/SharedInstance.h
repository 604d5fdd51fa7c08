#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace Foundation {

// The one way this program makes a process-wide ("shared") object. The object is built on first use,
// from any thread, and is then the same object at the same address for the life of the process. Neither
// the object nor the slot's own lock and maker are ever destroyed, so detached threads and code running
// at exit can still use it.
//
// Tests may reset it: the old object is destroyed and the next get() rebuilds it in the same storage,
// so a reference taken before a reset never dangles (it refers to the rebuilt object) and no retired
// object is kept. A reset must not race with users of the instance.
//
//     SMC& SMC::shared() { return instance().get(); }
//     static Foundation::SharedInstance<SMC>& instance() { static Foundation::SharedInstance<SMC> i; return i; }
//
// A replaceable service (the program or a test puts in an implementation of its own) is a
// SharedInstance<std::shared_ptr<T>>, specialised below: get() hands out shared ownership, so a replace or
// reset never frees an object a caller holds. The program replaces with replace(); resetForTesting is
// for tests only.
template <class T>
class SharedInstance {
public:
    // Builds the object into `storage` with placement new: `new (storage) T(...)`.
    using Maker = std::function<void(void* storage)>;

    SharedInstance() : SharedInstance([](void* storage) { new (storage) T(); }) {}
    explicit SharedInstance(Maker maker) : control_(new Control {maker, std::move(maker), {}}) {}
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;
    // Trivial: the object and the control block stay alive (see above).
    ~SharedInstance() = default;

    T& get()
    {
        if (T* object = object_.load(std::memory_order_acquire))
            return *object;
        std::lock_guard lock(control_->mutex);
        if (T* object = object_.load(std::memory_order_relaxed))
            return *object;
        control_->maker(storage_);
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
        std::lock_guard lock(control_->mutex);
        if (T* object = object_.exchange(nullptr, std::memory_order_acq_rel))
            object->~T();
        control_->maker = maker ? std::move(maker) : control_->defaultMaker;
    }

private:
    struct Control {
        const Maker defaultMaker;
        Maker maker;
        std::mutex mutex;
    };
    Control* const control_; // never freed
    std::atomic<T*> object_ {nullptr};
    alignas(T) unsigned char storage_[sizeof(T)];
};

// The replaceable service: the slot holds a shared pointer that get() copies out.
template <class T>
class SharedInstance<std::shared_ptr<T>> {
public:
    using Maker = std::function<std::shared_ptr<T>()>;

    SharedInstance() : SharedInstance([] { return std::make_shared<T>(); }) {}
    explicit SharedInstance(Maker maker) : control_(new Control {maker, std::move(maker), {}, {}}) {}
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;
    ~SharedInstance() = default;

    std::shared_ptr<T> get()
    {
        std::lock_guard lock(control_->mutex);
        if (!control_->object)
            control_->object = control_->maker();
        return control_->object;
    }

    bool exists() const
    {
        std::lock_guard lock(control_->mutex);
        return control_->object != nullptr;
    }

    // The program's one way to put in an implementation of its own: `object` becomes the shared one
    // (null: the default maker's again). The one replaced lives on while anyone holds it.
    void replace(std::shared_ptr<T> object)
    {
        if (!object)
            return resetForTesting(Maker());
        resetForTesting(Maker([object] { return object; }));
    }

    // Tests: the slot lets go of its object, which lives on while anyone holds it and is released
    // outside the lock (its destructor may use the slot); the next get() makes one with `maker`, or
    // with the default maker when `maker` is empty.
    void resetForTesting(Maker maker = nullptr)
    {
        std::shared_ptr<T> previous;
        Maker previousMaker;
        std::lock_guard lock(control_->mutex);
        previous = std::move(control_->object);
        previousMaker = std::exchange(control_->maker, maker ? std::move(maker) : control_->defaultMaker);
    }
    // Tests: `object` becomes the shared one until the next reset.
    void resetForTesting(std::shared_ptr<T> object) { replace(std::move(object)); }

private:
    struct Control {
        const Maker defaultMaker;
        Maker maker;
        std::shared_ptr<T> object;
        mutable std::mutex mutex;
    };
    Control* const control_; // never freed
};

} // namespace Foundation
