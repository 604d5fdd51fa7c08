#include "Classes/Views/TrackingArea.h"

#include "Platform/Kit/View.h"

namespace Aerlo {

TrackingArea::TrackingArea(Kit::View* view, const Kit::Rect& rect, unsigned options)
    : view_(view), rect_(rect), options_(options)
{
}

void TrackingArea::remove()
{
    if (const auto previous = trackingArea_.lock(); view_ && previous)
        view_->removeTrackingArea(previous.get());
    trackingArea_.reset();
}

void TrackingArea::update()
{
    remove();
    auto area = std::make_shared<Kit::TrackingArea>(rect_, options_, view_);
    if (view_)
        view_->addTrackingArea(area);
    trackingArea_ = area;
}

} // namespace Aerlo
