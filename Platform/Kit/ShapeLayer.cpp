#include "Platform/Kit/ShapeLayer.h"

#include "Platform/Kit/GraphicsContextImpl.h"
#include "Platform/Kit/QtBridge.h"

#include <QPainterPath>

namespace Kit {

void ShapeLayer::setPath(std::optional<BezierPath> path)
{
    path_ = std::move(path);
    changed();
}

void ShapeLayer::setFillColor(std::optional<Colour> c) { setModel("fillColor", [&](auto& m) { m.fillColor = c; }); }
void ShapeLayer::setStrokeColor(std::optional<Colour> c) { setModel("strokeColor", [&](auto& m) { m.strokeColor = c; }); }
void ShapeLayer::setLineWidth(double w) { setModel("lineWidth", [&](auto& m) { m.lineWidth = w; }); }
void ShapeLayer::setStrokeEnd(double v) { setModel("strokeEnd", [&](auto& m) { m.strokeEnd = v; }); }

void ShapeLayer::drawContent(GraphicsContext& context, const LayerProperties& p) const
{
    if (!path_ || path_->isEmpty())
        return;
    if (p.fillColor)
        context.fillPath(*path_, *p.fillColor);
    if (!p.strokeColor || !(p.lineWidth > 0))
        return;
    const double start = std::clamp(p.strokeStart, 0.0, 1.0);
    const double end = std::clamp(p.strokeEnd, 0.0, 1.0);
    if (end <= start)
        return;
    if (start == 0 && end == 1) {
        context.strokePath(*path_, *p.strokeColor, p.lineWidth);
        return;
    }
    // A part of the stroke: the path's length from start to end, as a dash.
    auto& impl = context.impl();
    impl.prepare(impl.state().operation);
    const QPainterPath q = QtBridge::path(*path_);
    const double length = q.length();
    if (!(length > 0))
        return;
    QPen pen(QtBridge::colour(*p.strokeColor), p.lineWidth);
    pen.setCapStyle(Qt::FlatCap);
    const double unit = p.lineWidth;
    pen.setDashPattern({(end - start) * length / unit, (length + 1) / unit});
    pen.setDashOffset(-start * length / unit);
    impl.painter->strokePath(q, pen);
}

BezierPath ShapeLayer::clipOutline(const LayerProperties&) const { return path_.value_or(BezierPath()); }

} // namespace Kit
