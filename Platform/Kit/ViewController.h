#pragma once

#include "Platform/Kit/KitExport.h"

#include <memory>

namespace Kit {

class View;

// Manages one view: made on first request by loadView, then viewDidLoad once; the appearance calls come
// from whoever shows the view (a window controller).
class AERLO_KIT_EXPORT ViewController {
public:
    virtual ~ViewController() = default;

    // The view, loaded on first use.
    const std::shared_ptr<View>& view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<View> view) { view_ = std::move(view); }

    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}

protected:
    // Makes the view (setView); the default is an empty view.
    virtual void loadView();
    virtual void viewDidLoad() {}

private:
    std::shared_ptr<View> view_;
};

} // namespace Kit
