#include "QVToolsKit/UI/ScrollViewExtension.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/ScrollView.h"

namespace QVToolsKit {

void resetMagnification(std::shared_ptr<Kit::ScrollView> scrollView) { setMagnification(std::move(scrollView), 1.0, 0.1); }

void setMagnification(std::shared_ptr<Kit::ScrollView> scrollView, double magnification, double delay)
{
    if (!scrollView)
        return;
    Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + delay,
        [scrollView = std::move(scrollView), magnification] { scrollView->setMagnification(magnification); });
}

void scrollToVisiblePoint(Kit::ScrollView& scrollView, Kit::Point point)
{
    scrollView.contentView().scrollToPoint(point);
    scrollView.reflectScrolledClipView(scrollView.contentView());
}

} // namespace QVToolsKit
