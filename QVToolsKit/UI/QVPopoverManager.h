#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include <memory>

namespace Kit {
class Popover;
class View;
class ViewController;
}

namespace QVToolsKit {

// Shows a popover beside a view.
class QVTOOLSKITUI_EXPORT QVPopoverManager {
public:
    // Transient (it closes at a click outside), with the controller's view, at the top edge of the
    // view's bounds.
    static void showPopover(Kit::Popover& popover, std::shared_ptr<Kit::ViewController> contentViewController,
        const Kit::View& positioningView);
};

} // namespace QVToolsKit
