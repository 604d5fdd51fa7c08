#include "Platform/Kit/TrackingArea.h"

namespace Kit {

TrackingArea::TrackingArea(const Rect& rect, unsigned options, Responder* owner, std::any userInfo)
    : rect_(rect), options_(options), owner_(owner), userInfo_(std::move(userInfo))
{
}

} // namespace Kit
