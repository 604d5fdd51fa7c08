#include "Platform/Kit/CollectionViewItem.h"

namespace Kit {

View& CollectionViewItem::view() { return *viewPointer(); }

std::shared_ptr<View> CollectionViewItem::viewPointer()
{
    if (!view_) {
        view_ = makeView();
        if (!view_)
            view_ = std::make_shared<View>();
        viewDidLoad();
    }
    return view_;
}

std::shared_ptr<View> CollectionViewItem::makeView() { return std::make_shared<View>(); }

} // namespace Kit
