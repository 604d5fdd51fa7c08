#include "Platform/Kit/Control.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/KeyCode.h"

namespace Kit {

Control::Control(const Rect& frame, std::shared_ptr<Cell> cell)
    : View(frame), cell_(cell ? std::move(cell) : std::make_shared<Cell>())
{
    cell_->setControlView(this);
}

Control::~Control() { cell_->setControlView(nullptr); }

void Control::setCell(std::shared_ptr<Cell> cell)
{
    if (!cell)
        return;
    const bool enabled = cell_->isEnabled();
    cell_->setControlView(nullptr);
    cell_ = std::move(cell);
    cell_->setControlView(this);
    cell_->setEnabled(enabled);
    setNeedsDisplay();
}

void Control::setDoubleValue(double value)
{
    cell_->setDoubleValue(value);
    setNeedsDisplay();
}

void Control::setStringValue(std::string value)
{
    cell_->setStringValue(std::move(value));
    setNeedsDisplay();
}

void Control::setEnabled(bool enabled)
{
    cell_->setEnabled(enabled);
    setNeedsDisplay();
}

void Control::setHighlighted(bool highlighted)
{
    cell_->setHighlighted(highlighted);
    setNeedsDisplay();
}

void Control::setFont(Font font)
{
    cell_->setFont(std::move(font));
    setNeedsDisplay();
}

void Control::setAlignment(TextAlignment alignment)
{
    cell_->setAlignment(alignment);
    setNeedsDisplay();
}

bool Control::sendAction()
{
    if (!isEnabled())
        return false;
    return action_.send(*this);
}

void Control::keyDown(const Event& event)
{
    if (isEnabled() && KeyCode::activates(event.keyCode) && performClick())
        return;
    View::keyDown(event);
}

Colour Control::titleColour() const
{
    const Colour colour = Colour::controlTextColor();
    return isEnabled() ? colour : colour.withAlphaComponent(0.4);
}

BezierPath Control::fillBezel(GraphicsContext& context) const
{
    const BezierPath body = BezierPath::roundedRect(bounds().insetBy(0.5, 0.5), 5, 5);
    context.fillPath(body, Colour::controlBackgroundColor());
    return body;
}

} // namespace Kit
