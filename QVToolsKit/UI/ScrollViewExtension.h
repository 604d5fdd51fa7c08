#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Point.h"

#include <memory>

namespace Kit {
class ScrollView;
}

namespace QVToolsKit {

// Scroll-view operations, as free functions taking the scroll view first. The two magnification
// setters hold the scroll view until their change has run on the main queue.

// The magnification back to 1.0, 0.1 s from now.
QVTOOLSKITUI_EXPORT void resetMagnification(std::shared_ptr<Kit::ScrollView> scrollView);
QVTOOLSKITUI_EXPORT void setMagnification(std::shared_ptr<Kit::ScrollView> scrollView, double magnification, double delay);
// The clip view scrolls to the point; the scroll view then follows it.
QVTOOLSKITUI_EXPORT void scrollToVisiblePoint(Kit::ScrollView& scrollView, Kit::Point point);

} // namespace QVToolsKit
