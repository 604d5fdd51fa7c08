#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Layer.h"

#include <optional>

namespace Kit {

// A layer that fills and strokes a path in its bounds space.
class AERLO_KIT_EXPORT ShapeLayer : public Layer {
public:
    std::optional<BezierPath> path() const { return path_; }
    void setPath(std::optional<BezierPath> path);
    std::optional<Colour> fillColor() const { return model().fillColor; }
    void setFillColor(std::optional<Colour> colour);
    std::optional<Colour> strokeColor() const { return model().strokeColor; }
    void setStrokeColor(std::optional<Colour> colour);
    double lineWidth() const { return model().lineWidth; }
    void setLineWidth(double width);
    double strokeStart() const { return model().strokeStart; }
    double strokeEnd() const { return model().strokeEnd; }
    void setStrokeEnd(double value);

protected:
    void drawContent(GraphicsContext& context, const LayerProperties& presentation) const override;
    BezierPath clipOutline(const LayerProperties& presentation) const override;

private:
    std::optional<BezierPath> path_;
};

} // namespace Kit
