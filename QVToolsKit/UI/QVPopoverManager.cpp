#include "QVToolsKit/UI/QVPopoverManager.h"

#include "Platform/Kit/Popover.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/ViewController.h"

namespace QVToolsKit {

void QVPopoverManager::showPopover(Kit::Popover& popover, std::shared_ptr<Kit::ViewController> contentViewController,
    const Kit::View& positioningView)
{
    popover.setBehavior(Kit::Popover::Behavior::transient);
    popover.setContentViewController(std::move(contentViewController));
    popover.show(positioningView.bounds(), positioningView, Kit::Popover::Edge::maxY);
}

} // namespace QVToolsKit
