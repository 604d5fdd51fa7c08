#include "Platform/Kit/GradientLayer.h"

#include "Platform/Kit/GraphicsContext.h"

namespace Kit {

void GradientLayer::setColors(std::vector<Colour> colours)
{
    colours_ = std::move(colours);
    changed();
}

void GradientLayer::setLocations(std::vector<double> locations)
{
    locations_ = std::move(locations);
    changed();
}

void GradientLayer::setStartPoint(Point point)
{
    start_ = point;
    changed();
}

void GradientLayer::setEndPoint(Point point)
{
    end_ = point;
    changed();
}

void GradientLayer::drawContent(GraphicsContext& context, const LayerProperties& p) const
{
    if (colours_.empty())
        return;
    const Rect b = p.bounds;
    auto unit = [&](Point u) { return Point {b.x() + u.x * b.width(), b.y() + u.y * b.height()}; };
    context.saveGraphicsState();
    context.clipToRect(b);
    context.drawLinearGradient(colours_, locations_, unit(start_), unit(end_));
    context.restoreGraphicsState();
}

} // namespace Kit
