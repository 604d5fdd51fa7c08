#pragma once

#include "Platform/Kit/Rect.h"
#include "Platform/Kit/TrackingArea.h"

#include <memory>

namespace Kit {
class View;
}

namespace Aerlo {

// Keeps one tracking area of a fixed rect and options installed on a view.
class TrackingArea {
public:
    // `view` owns this object and outlives it.
    TrackingArea(Kit::View* view, const Kit::Rect& rect, unsigned options);

    Kit::View* view() const { return view_; }
    Kit::Rect rect() const { return rect_; }
    unsigned options() const { return options_; }
    // The area installed last, while the view keeps it.
    std::shared_ptr<Kit::TrackingArea> trackingArea() const { return trackingArea_.lock(); }

    // Replaces the installed area with a new one over the same rect.
    void update();
    // Takes the installed area off the view.
    void remove();

private:
    Kit::View* view_;
    Kit::Rect rect_;
    unsigned options_;
    std::weak_ptr<Kit::TrackingArea> trackingArea_;
};

} // namespace Aerlo
