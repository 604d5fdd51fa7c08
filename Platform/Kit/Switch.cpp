#include "Platform/Kit/Switch.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

Switch::Switch(const Rect& frame) : Control(frame) {}

void Switch::setState(StateValue state)
{
    cell().setState(state == StateValue::off ? StateValue::off : StateValue::on);
    setNeedsDisplay();
}

bool Switch::performClick()
{
    if (!isEnabled())
        return true;
    setState(state() == StateValue::on ? StateValue::off : StateValue::on);
    sendAction();
    return true;
}

void Switch::mouseDown(const Event&) { pressed_ = isEnabled(); }

void Switch::mouseUp(const Event& event)
{
    if (!pressed_)
        return;
    pressed_ = false;
    if (bounds().contains(convertFrom(event.locationInWindow, nullptr)))
        performClick();
}

void Switch::mouseTrackingCancelled()
{
    pressed_ = false;
    Control::mouseTrackingCancelled();
}

Rect Switch::track() const
{
    const Rect rect = bounds();
    const double height = std::min(rect.height(), rect.width() / 1.75);
    return {rect.x(), rect.midY() - height / 2, height * 1.75, height};
}

void Switch::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const Rect track = this->track();
    const double height = track.height();
    const bool on = state() == StateValue::on;
    Colour fill = on ? Colour::controlAccentColor() : Colour::systemGray().withAlphaComponent(0.35);
    if (!isEnabled())
        fill = fill.withAlphaComponent(fill.alphaComponent() * 0.5);
    context->fillPath(BezierPath::roundedRect(track, height / 2, height / 2), fill);
    const double knob = height - 4;
    const Rect knobRect {on ? track.maxX() - 2 - knob : track.x() + 2, track.y() + 2, knob, knob};
    context->fillPath(BezierPath::oval(knobRect), Colour::whiteColor());
}

} // namespace Kit
