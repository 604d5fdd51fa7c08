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

    explicit SharedPresenter(Maker makeDefault) : instance_(std::move(makeDefault)) {}

    std::shared_ptr<Presenter> get() { return instance_.get(); }
    // Null goes back to the default presenter.
    void replace(std::shared_ptr<Presenter> presenter) { instance_.replace(std::move(presenter)); }

private:
    Foundation::SharedInstance<std::shared_ptr<Presenter>> instance_;
};

} // namespace Kit
