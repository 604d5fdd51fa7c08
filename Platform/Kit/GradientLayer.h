#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Layer.h"

#include <vector>

namespace Kit {

// An axial gradient over the bounds. Start and end points are in unit space with the origin at the
// bottom left: the default runs from the bottom (the first colour) to the top.
class AERLO_KIT_EXPORT GradientLayer : public Layer {
public:
    const std::vector<Colour>& colors() const { return colours_; }
    void setColors(std::vector<Colour> colours);
    // Empty: evenly spaced.
    const std::vector<double>& locations() const { return locations_; }
    void setLocations(std::vector<double> locations);
    Point startPoint() const { return start_; }
    void setStartPoint(Point point);
    Point endPoint() const { return end_; }
    void setEndPoint(Point point);

protected:
    void drawContent(GraphicsContext& context, const LayerProperties& presentation) const override;

private:
    std::vector<Colour> colours_;
    std::vector<double> locations_;
    Point start_ {0.5, 0};
    Point end_ {0.5, 1};
};

} // namespace Kit
