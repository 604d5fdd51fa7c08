#include "Classes/Views/QVSliderCell.h"

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/View.h"
#include "Platform/System/ProcessInfo.h"

#include <algorithm>
#include <cmath>

namespace Aerlo {

namespace {

constexpr std::int64_t manualFanMode = 2;

Kit::Colour scaledAlpha(const Kit::Colour& colour, float factor)
{
    return colour.withAlphaComponent(colour.alphaComponent() * factor);
}

} // namespace

QVSliderCell::QVSliderCell() = default;

bool QVSliderCell::redisplaysWhileTracking() { return SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(26, 0, 0); }

float QVSliderCell::knobFade(float v) { return std::clamp((v - 0.08f) * 5.0f, 0.0f, 1.0f); }

float QVSliderCell::drawnFraction() const
{
    const double range = maxValue() - minValue();
    const double value = doubleValue();
    if (std::isnan(value) || range == 0 || !std::isfinite(range))
        return 0;
    const double fraction = (value - minValue()) / range;
    if (std::isnan(fraction))
        return 0;
    return static_cast<float>(std::clamp(fraction, 0.0, 1.0));
}

Kit::Rect QVSliderCell::barRect(bool flipped) const
{
    const Kit::Rect bar = Kit::SliderCell::barRect(flipped);
    const Kit::Rect knob = Kit::SliderCell::knobRect(flipped);
    return Kit::Rect(bar.x(), knob.y(), bar.width(), knob.height()).insetBy(0, 3.5).offsetBy(-1.5, -1.5);
}

bool QVSliderCell::startTracking(Kit::Point point, Kit::View& controlView)
{
    isTracking = true;
    if (redisplaysWhileTracking())
        controlView.setNeedsDisplay();
    return Kit::SliderCell::startTracking(point, controlView);
}

bool QVSliderCell::continueTracking(Kit::Point lastPoint, Kit::Point currentPoint, Kit::View& controlView)
{
    const bool goesOn = Kit::SliderCell::continueTracking(lastPoint, currentPoint, controlView);
    if (redisplaysWhileTracking())
        controlView.setNeedsDisplay();
    return goesOn;
}

void QVSliderCell::stopTracking(Kit::Point lastPoint, Kit::Point stopPoint, Kit::View& controlView, bool mouseIsUp)
{
    isTracking = false;
    if (redisplaysWhileTracking())
        controlView.setNeedsDisplay();
    Kit::SliderCell::stopTracking(lastPoint, stopPoint, controlView, mouseIsUp);
}

void QVSliderCell::drawKnob(const Kit::Rect&)
{
    // The knob is part of the bar's drawing.
}

void QVSliderCell::drawBar(const Kit::Rect& rect, bool)
{
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    if (!context)
        return;
    const double x = rect.x();
    const double y = rect.y();
    const double w = rect.width();
    const double h = redisplaysWhileTracking() ? 21.0 : rect.height();
    const float v = drawnFraction();
    const double radius = h * 0.5;

    const Kit::BezierPath track = Kit::BezierPath::roundedRect({x, y, w, h}, radius, radius);
    context->fillPath(track, barFillColor);
    const double filledWidth = (w - h) * v + h;
    context->fillPath(Kit::BezierPath::roundedRect({x, y, filledWidth, h}, radius, radius), barFilledFillColor);

    if (Foundation::UserDefaults::standard().integer("fanModeSelectedSegment") == manualFanMode) {
        const Kit::Rect knob(x + (w - h) * v, y, h, h);
        const float k = knobFade(v);
        for (const double shift : {2.0, 4.0, 6.0}) {
            context->fillPath(Kit::BezierPath::roundedRect(knob.offsetBy(-shift, 0), radius, radius),
                              scaledAlpha(knobShadowColor, k));
        }
        const Kit::BezierPath body = Kit::BezierPath::roundedRect(knob, radius, radius);
        context->fillPath(body, (isTracking ? knobFillColorTracking : knobFillColor).withAlphaComponent(k));
        context->strokePath(body, scaledAlpha(knobStrokeColor, k), 1);
    }
    context->strokePath(track, barStrokeColor, 1);
}

} // namespace Aerlo
