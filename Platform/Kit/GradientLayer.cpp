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
    std::vector<double> locations = locations_;
    if (locations.size() != colours_.size()) {
        locations.clear();
        for (std::size_t i = 0; i < colours_.size(); ++i)
            locations.push_back(colours_.size() == 1 ? 0.0 : double(i) / double(colours_.size() - 1));
    }
    const Rect b = p.bounds;
    const auto inBounds = [&](Point unit) { return Point{b.x() + unit.x * b.width(), b.y() + unit.y * b.height()}; };
    context.saveGraphicsState();
    context.clipToRect(b);
    context.drawLinearGradient(colours_, locations, inBounds(start_), inBounds(end_));
    context.restoreGraphicsState();
}

} // namespace Kit
