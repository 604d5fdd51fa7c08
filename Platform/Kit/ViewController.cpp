#include "Platform/Kit/ViewController.h"

#include "Platform/Kit/View.h"

namespace Kit {

const std::shared_ptr<View>& ViewController::view()
{
    if (!view_) {
        loadView();
        if (!view_)
            view_ = std::make_shared<View>();
        viewDidLoad();
    }
    return view_;
}

void ViewController::loadView() { view_ = std::make_shared<View>(); }

} // namespace Kit
