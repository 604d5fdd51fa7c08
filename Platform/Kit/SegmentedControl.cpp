#include "Platform/Kit/SegmentedControl.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/KeyCode.h"

#include <algorithm>

namespace Kit {

SegmentedControl::SegmentedControl(const Rect& frame) : Control(frame) {}

std::shared_ptr<SegmentedControl> SegmentedControl::withLabels(const std::vector<std::string>& labels, Action action)
{
    auto control = std::make_shared<SegmentedControl>();
    control->setSegmentCount(static_cast<long>(labels.size()));
    for (size_t i = 0; i < labels.size(); ++i)
        control->setLabel(labels[i], static_cast<long>(i));
    control->setAction(std::move(action));
    return control;
}

void SegmentedControl::setSegmentCount(long count)
{
    segments_.resize(static_cast<size_t>(std::max(0L, count)));
    if (selected_ >= segmentCount())
        selected_ = -1;
    setNeedsDisplay();
}

std::string SegmentedControl::label(long segment) const
{
    return segment >= 0 && segment < segmentCount() ? segments_[static_cast<size_t>(segment)].label : std::string();
}

void SegmentedControl::setLabel(std::string label, long segment)
{
    if (segment < 0 || segment >= segmentCount())
        return;
    segments_[static_cast<size_t>(segment)].label = std::move(label);
    setNeedsDisplay();
}

double SegmentedControl::width(long segment) const
{
    return segment >= 0 && segment < segmentCount() ? segments_[static_cast<size_t>(segment)].width : 0;
}

void SegmentedControl::setWidth(double width, long segment)
{
    if (segment < 0 || segment >= segmentCount())
        return;
    segments_[static_cast<size_t>(segment)].width = std::max(0.0, width);
    setNeedsDisplay();
}

bool SegmentedControl::isEnabled(long segment) const
{
    return segment >= 0 && segment < segmentCount() && segments_[static_cast<size_t>(segment)].enabled;
}

void SegmentedControl::setEnabled(bool enabled, long segment)
{
    if (segment < 0 || segment >= segmentCount())
        return;
    segments_[static_cast<size_t>(segment)].enabled = enabled;
    setNeedsDisplay();
}

void SegmentedControl::setSelectedSegment(long segment)
{
    selected_ = segment >= 0 && segment < segmentCount() ? segment : -1;
    setNeedsDisplay();
}

Rect SegmentedControl::rectOfSegment(long segment) const
{
    if (segment < 0 || segment >= segmentCount())
        return {};
    const Rect b = bounds();
    double fixed = 0;
    long flexible = 0;
    for (const Segment& s : segments_) {
        fixed += s.width;
        flexible += s.width == 0 ? 1 : 0;
    }
    const double share = flexible > 0 ? std::max(0.0, b.width() - fixed) / static_cast<double>(flexible) : 0;
    double x = b.x();
    for (long i = 0; i < segment; ++i)
        x += segments_[static_cast<size_t>(i)].width > 0 ? segments_[static_cast<size_t>(i)].width : share;
    const double w =
        segments_[static_cast<size_t>(segment)].width > 0 ? segments_[static_cast<size_t>(segment)].width : share;
    return {x, b.y(), w, b.height()};
}

long SegmentedControl::segmentAt(Point point) const
{
    for (long i = 0; i < segmentCount(); ++i)
        if (rectOfSegment(i).contains(point))
            return i;
    return -1;
}

void SegmentedControl::mouseDown(const Event& event)
{
    const long segment = segmentAt(convertFrom(event.locationInWindow, nullptr));
    pressed_ = isEnabled() && isEnabled(segment) ? segment : -1;
    setHighlighted(pressed_ >= 0);
}

void SegmentedControl::mouseUp(const Event& event)
{
    const long pressed = pressed_;
    pressed_ = -1;
    setHighlighted(false);
    if (pressed < 0 || segmentAt(convertFrom(event.locationInWindow, nullptr)) != pressed)
        return;
    if (trackingMode_ != TrackingMode::momentary)
        setSelectedSegment(pressed);
    sendAction();
}

void SegmentedControl::keyDown(const Event& event)
{
    const int step = event.keyCode == KeyCode::rightArrow ? 1 : event.keyCode == KeyCode::leftArrow ? -1 : 0;
    if (step == 0 || !isEnabled() || trackingMode_ != TrackingMode::selectOne) {
        Control::keyDown(event);
        return;
    }
    for (long segment = selected_ + step; segment >= 0 && segment < segmentCount(); segment += step)
        if (isEnabled(segment)) {
            setSelectedSegment(segment);
            sendAction();
            return;
        }
}

void SegmentedControl::mouseTrackingCancelled()
{
    pressed_ = -1;
    setHighlighted(false);
    Control::mouseTrackingCancelled();
}

void SegmentedControl::draw(const Rect&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    const BezierPath body = fillBezel(*context);
    const Font& labelFont = font();
    const double lineHeight = labelFont.lineHeight();
    for (long i = 0; i < segmentCount(); ++i) {
        const Rect r = rectOfSegment(i);
        const bool selected = isSelected(i);
        if (selected)
            context->fillPath(BezierPath::roundedRect(r.insetBy(1.5, 1.5), 4, 4), Colour::controlAccentColor());
        if (i > 0 && !selected && !isSelected(i - 1))
            context->fillRect({r.x() - 0.5, r.y() + 4, 1, std::max(0.0, r.height() - 8)}, Colour::separatorColor());
        Colour text = selected ? Colour::whiteColor() : titleColour();
        if (!isEnabled(i))
            text = text.withAlphaComponent(0.4);
        context->drawText(label(i), {r.x() + 2, r.midY() - lineHeight / 2, std::max(0.0, r.width() - 4), lineHeight},
                          labelFont, text, TextAlignment::center, true);
    }
    context->strokePath(body, Colour::separatorColor(), 1);
}

} // namespace Kit
