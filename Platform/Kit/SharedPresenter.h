#pragma once

#include "Platform/Foundation/SharedInstance.h"

#include <functional>
#include <memory>

namespace Kit {

// The process-wide presenter of one kind (alerts, menus): made by `makeDefault` on first use, replaceable
// by tests and headless runs.
template <class Presenter>
class SharedPresenter {
public:
    using Maker = std::function<std::shared_ptr<Presenter>()>;

    explicit SharedPresenter(Maker makeDefault)
        : instance_([makeDefault](void* storage) { new (storage) Shared(makeDefault()); })
    {
    }

    std::shared_ptr<Presenter> get() { return instance_.get(); }
    // Null goes back to the default presenter.
    void set(std::shared_ptr<Presenter> presenter)
    {
        if (presenter)
            instance_.resetForTesting([presenter](void* storage) { new (storage) Shared(presenter); });
        else
            instance_.resetForTesting();
    }

private:
    using Shared = std::shared_ptr<Presenter>;
    Foundation::SharedInstance<Shared> instance_;
};

} // namespace Kit
