#include "Platform/Vendors/UI/QVWindowOperateView.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/TrackingArea.h"

namespace Vendors {

namespace {

Kit::Colour fillOf(QVWindowOperateView::ButtonType type, bool enabled)
{
    if (!enabled)
        return Kit::Colour::fromRGB255(190, 190, 190);
    switch (type) {
    case QVWindowOperateView::ButtonType::close:
        return Kit::Colour::fromRGB255(255, 95, 87);
    case QVWindowOperateView::ButtonType::miniaturize:
        return Kit::Colour::fromRGB255(254, 188, 46);
    case QVWindowOperateView::ButtonType::fullScreen:
        break;
    }
    return Kit::Colour::fromRGB255(40, 200, 64);
}

} // namespace

QVWindowOperateView::QVWindowOperateView(std::vector<ButtonType> buttonTypes, bool isFullScreenDisabled)
    : Kit::View(Kit::Rect {0, 0, buttonTypes.empty() ? 0 : buttonTypes.size() * (diameter + spacing) - spacing, 20}),
      buttonTypes_(std::move(buttonTypes)), fullScreenDisabled_(isFullScreenDisabled)
{
}

Kit::Rect QVWindowOperateView::rectOfButton(std::size_t index) const
{
    return {static_cast<double>(index) * (diameter + spacing), (bounds().height() - diameter) / 2, diameter, diameter};
}

long QVWindowOperateView::buttonAt(Kit::Point point) const
{
    for (std::size_t i = 0; i < buttonTypes_.size(); ++i) {
        const Kit::Rect circle = rectOfButton(i);
        const double dx = point.x - circle.midX();
        const double dy = point.y - circle.midY();
        if (dx * dx + dy * dy <= diameter * diameter / 4)
            return static_cast<long>(i);
    }
    return -1;
}

void QVWindowOperateView::drawGlyph(ButtonType type, const Kit::Rect& circle) const
{
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    const Kit::Colour ink = Kit::Colour::black().withAlphaComponent(0.55);
    const double cx = circle.midX();
    const double cy = circle.midY();
    Kit::BezierPath path;
    switch (type) {
    case ButtonType::close:
        path.moveTo({cx - 2.5, cy - 2.5});
        path.lineTo({cx + 2.5, cy + 2.5});
        path.moveTo({cx - 2.5, cy + 2.5});
        path.lineTo({cx + 2.5, cy - 2.5});
        break;
    case ButtonType::miniaturize:
        path.moveTo({cx - 3, cy});
        path.lineTo({cx + 3, cy});
        break;
    case ButtonType::fullScreen:
        path.moveTo({cx - 3, cy + 3});
        path.lineTo({cx + 3, cy - 3});
        break;
    }
    context->strokePath(path, ink, 1.2);
}

void QVWindowOperateView::draw(const Kit::Rect&)
{
    Kit::GraphicsContext* context = Kit::GraphicsContext::current();
    if (!context)
        return;
    for (std::size_t i = 0; i < buttonTypes_.size(); ++i) {
        const ButtonType type = buttonTypes_[i];
        const bool enabled = type != ButtonType::fullScreen || !fullScreenDisabled_;
        const Kit::Rect circle = rectOfButton(i);
        context->fillPath(Kit::BezierPath::oval(circle), fillOf(type, enabled));
        context->strokePath(Kit::BezierPath::oval(circle.insetBy(0.25, 0.25)),
                            Kit::Colour::black().withAlphaComponent(0.12), 0.5);
        if (hovering_ && enabled)
            drawGlyph(type, circle);
    }
}

void QVWindowOperateView::mouseDown(const Kit::Event& event)
{
    pressed_ = buttonAt(convertFrom(event.locationInWindow, nullptr));
    if (pressed_ >= 0 && buttonTypes_[static_cast<std::size_t>(pressed_)] == ButtonType::fullScreen
        && fullScreenDisabled_)
        pressed_ = -1;
}

void QVWindowOperateView::mouseUp(const Kit::Event& event)
{
    const long pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0 || buttonAt(convertFrom(event.locationInWindow, nullptr)) != pressed)
        return;
    int code = static_cast<int>(buttonTypes_[static_cast<std::size_t>(pressed)]);
    if (buttonTypes_[static_cast<std::size_t>(pressed)] == ButtonType::fullScreen) {
        code = inFullScreen_ ? 3 : 2;
        inFullScreen_ = !inFullScreen_;
    }
    // The action may close the window and release this strip: keep it alive while it runs.
    const Action action = action_;
    if (action)
        action(code);
}

void QVWindowOperateView::mouseTrackingCancelled() { pressed_ = -1; }

void QVWindowOperateView::updateTrackingAreas()
{
    for (const auto& area : std::vector<std::shared_ptr<Kit::TrackingArea>>(trackingAreas()))
        removeTrackingArea(area.get());
    addTrackingArea(std::make_shared<Kit::TrackingArea>(
        bounds(), Kit::TrackingArea::mouseEnteredAndExited | Kit::TrackingArea::activeAlways, this));
}

void QVWindowOperateView::mouseEntered(const Kit::Event&)
{
    hovering_ = true;
    setNeedsDisplay();
}

void QVWindowOperateView::mouseExited(const Kit::Event&)
{
    hovering_ = false;
    setNeedsDisplay();
}

} // namespace Vendors
