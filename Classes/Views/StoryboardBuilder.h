#pragma once

#include "Platform/Kit/Coder.h"

#include <functional>
#include <memory>

namespace Aerlo {

// Stands in for a storyboard: the archive-style constructor with the frame, then the inspectable
// properties and outlets (`configure`), then awakeFromNib.
template <class ViewType>
std::shared_ptr<ViewType> makeFromStoryboard(const Kit::Rect& frame,
                                             const std::function<void(ViewType&)>& configure = {})
{
    auto view = std::make_shared<ViewType>(Kit::Coder {frame});
    if (configure)
        configure(*view);
    view->awakeFromNib();
    return view;
}

} // namespace Aerlo
