#include "Platform/Kit/SliderCell.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/View.h"

#include <algorithm>
#include <cmath>

namespace Kit {

namespace {

Rect boundsOf(const Cell& cell) { return cell.controlView() ? cell.controlView()->bounds() : Rect(); }

} // namespace

SliderCell::SliderCell() { setContinuous(true); }

void SliderCell::setMinValue(double value)
{
    minValue_ = value;
    setDoubleValue(Cell::doubleValue());
}

void SliderCell::setMaxValue(double value)
{
    maxValue_ = value;
    setDoubleValue(Cell::doubleValue());
}

void SliderCell::setDoubleValue(double value)
{
    if (std::isnan(value))
        value = minValue_;
    Cell::setDoubleValue(std::clamp(value, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_)));
}

Rect SliderCell::barRect(bool) const
{
    const Rect bounds = boundsOf(*this);
    return {bounds.x() + 2, bounds.midY() - 2, std::max(0.0, bounds.width() - 4), 4};
}

Rect SliderCell::knobRect(bool) const
{
    const Rect bounds = boundsOf(*this);
    const double side = std::min(knobThickness, bounds.height());
    const double range = maxValue_ - minValue_;
    const double fraction = range != 0 ? (doubleValue() - minValue_) / range : 0;
    return {bounds.x() + std::max(0.0, bounds.width() - side) * fraction, bounds.midY() - side / 2, side, side};
}

void SliderCell::drawBar(const Rect& rect, bool)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const double radius = rect.height() / 2;
    context->fillPath(BezierPath::roundedRect(rect, radius, radius), Colour::systemGray().withAlphaComponent(0.3));
    Rect filled = rect;
    filled.size.width = std::clamp(knobRect(false).midX() - rect.x(), 0.0, rect.width());
    context->fillPath(BezierPath::roundedRect(filled, radius, radius), Colour::controlAccentColor());
}

void SliderCell::drawKnob(const Rect& rect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const Rect knob = rect.insetBy(0.5, 0.5);
    const BezierPath path = BezierPath::oval(knob);
    context->fillPath(path, isHighlighted() ? Colour::white(0.85) : Colour::whiteColor());
    context->strokePath(path, Colour::systemGray().withAlphaComponent(0.6), 1);
}

void SliderCell::draw(const Rect&, bool flipped)
{
    drawBar(barRect(flipped), flipped);
    drawKnob(knobRect(flipped));
}

double SliderCell::valueAt(Point point, const Rect& bounds) const
{
    const double side = std::min(knobThickness, bounds.height());
    const double travel = bounds.width() - side;
    if (travel <= 0)
        return minValue_;
    const double fraction = std::clamp((point.x - bounds.x() - side / 2) / travel, 0.0, 1.0);
    return minValue_ + fraction * (maxValue_ - minValue_);
}

bool SliderCell::startTracking(Point point, View& controlView)
{
    setHighlighted(true);
    setDoubleValue(valueAt(point, controlView.bounds()));
    return true;
}

bool SliderCell::continueTracking(Point, Point currentPoint, View& controlView)
{
    setDoubleValue(valueAt(currentPoint, controlView.bounds()));
    return true;
}

void SliderCell::stopTracking(Point, Point, View&, bool) { setHighlighted(false); }

} // namespace Kit
