#include "Platform/Kit/ProgressIndicator.h"

#include "Platform/Kit/Animation.h"
#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace Kit {

ProgressIndicator::ProgressIndicator(const Rect& frame) : View(frame) {}

void ProgressIndicator::setStyle(Style style)
{
    style_ = style;
    applyVisibility();
    setNeedsDisplay();
}

void ProgressIndicator::setMinValue(double value)
{
    minValue_ = value;
    setDoubleValue(value_);
}

void ProgressIndicator::setMaxValue(double value)
{
    maxValue_ = value;
    setDoubleValue(value_);
}

void ProgressIndicator::setDoubleValue(double value)
{
    if (std::isnan(value))
        value = minValue_;
    value_ = std::clamp(value, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
    setNeedsDisplay();
}

double ProgressIndicator::fraction() const
{
    const double range = maxValue_ - minValue_;
    return range > 0 ? (value_ - minValue_) / range : 0;
}

void ProgressIndicator::setIndeterminate(bool indeterminate)
{
    indeterminate_ = indeterminate;
    setNeedsDisplay();
}

void ProgressIndicator::setDisplayedWhenStopped(bool displayed)
{
    displayedWhenStopped_ = displayed;
    applyVisibility();
}

void ProgressIndicator::applyVisibility()
{
    if (style_ == Style::spinning && !displayedWhenStopped_)
        setHidden(!animating_);
}

void ProgressIndicator::startAnimation()
{
    if (animating_)
        return;
    animating_ = true;
    if (style_ == Style::spinning) {
        // One turn a second, clockwise on screen, about the centre.
        auto turn = std::make_shared<BasicAnimation>("transform.rotation.z");
        turn->fromValue = LayerValue(0.0);
        turn->toValue = LayerValue(-2 * M_PI);
        turn->duration = 1;
        turn->repeatCount = Animation::infinity;
        layer().addAnimation(turn, animationKey);
    }
    applyVisibility();
    setNeedsDisplay();
}

void ProgressIndicator::stopAnimation()
{
    if (!animating_)
        return;
    animating_ = false;
    layer().removeAnimation(animationKey);
    applyVisibility();
    setNeedsDisplay();
}

void ProgressIndicator::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const Rect b = bounds();
    if (style_ == Style::spinning) {
        // Twelve spokes, fading round the circle; the layer's rotation turns them.
        const double radius = std::min(b.width(), b.height()) / 2;
        const Point centre {b.midX(), b.midY()};
        for (int i = 0; i < 12; ++i) {
            const double angle = i * M_PI / 6;
            BezierPath spoke;
            spoke.moveTo({centre.x + std::cos(angle) * radius * 0.45, centre.y + std::sin(angle) * radius * 0.45});
            spoke.lineTo({centre.x + std::cos(angle) * radius * 0.9, centre.y + std::sin(angle) * radius * 0.9});
            context->strokePath(spoke, Colour::labelColor().withAlphaComponent(0.2 + 0.6 * i / 11.0), radius * 0.15);
        }
        return;
    }
    const double radius = b.height() / 2;
    context->fillPath(BezierPath::roundedRect(b, radius, radius), Colour::systemGray().withAlphaComponent(0.25));
    if (indeterminate_)
        return;
    Rect filled = b;
    filled.size.width = b.width() * fraction();
    if (filled.width() > 0)
        context->fillPath(BezierPath::roundedRect(filled, radius, radius), Colour::controlAccentColor());
}

} // namespace Kit
