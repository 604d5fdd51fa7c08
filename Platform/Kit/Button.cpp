#include "Platform/Kit/Button.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

namespace {

constexpr double checkBoxSide = 14;
constexpr double checkBoxGap = 4;

} // namespace

Button::Button(const Rect& frame) : Control(frame) {}

std::shared_ptr<Button> Button::button(std::string title, Action action)
{
    auto button = std::make_shared<Button>();
    button->setTitle(std::move(title));
    button->setAction(std::move(action));
    return button;
}

std::shared_ptr<Button> Button::checkbox(std::string title, Action action)
{
    auto button = Button::button(std::move(title), std::move(action));
    button->setButtonType(ButtonType::switch_);
    return button;
}

std::shared_ptr<Button> Button::radioButton(std::string title, Action action)
{
    auto button = Button::button(std::move(title), std::move(action));
    button->setButtonType(ButtonType::radio);
    return button;
}

void Button::setTitle(std::string title)
{
    cell().setTitle(std::move(title));
    setNeedsDisplay();
}

void Button::setImage(Image image)
{
    image_ = std::move(image);
    setNeedsDisplay();
}

void Button::setImagePosition(ImagePosition position)
{
    imagePosition_ = position;
    setNeedsDisplay();
}

void Button::setContentTintColor(std::optional<Colour> colour)
{
    contentTintColor_ = std::move(colour);
    setNeedsDisplay();
}

void Button::setButtonType(ButtonType type)
{
    type_ = type;
    if (type == ButtonType::switch_ || type == ButtonType::radio)
        bordered_ = false;
    setNeedsDisplay();
}

void Button::setBezelStyle(BezelStyle style)
{
    bezelStyle_ = style;
    setNeedsDisplay();
}

void Button::setBordered(bool bordered)
{
    bordered_ = bordered;
    setNeedsDisplay();
}

void Button::setState(StateValue state)
{
    if (state == StateValue::mixed && !allowsMixedState_)
        state = StateValue::on;
    cell().setState(state);
    setNeedsDisplay();
}

bool Button::keepsState() const
{
    switch (type_) {
    case ButtonType::pushOnPushOff:
    case ButtonType::toggle:
    case ButtonType::switch_:
    case ButtonType::radio:
    case ButtonType::onOff:
        return true;
    default:
        return false;
    }
}

void Button::advanceState()
{
    if (!keepsState())
        return;
    if (type_ == ButtonType::radio) {
        setState(StateValue::on);
        return;
    }
    // off → on → mixed (when allowed) → off
    switch (state()) {
    case StateValue::off:
        setState(StateValue::on);
        break;
    case StateValue::on:
        setState(allowsMixedState_ ? StateValue::mixed : StateValue::off);
        break;
    case StateValue::mixed:
        setState(StateValue::off);
        break;
    }
}

bool Button::performClick()
{
    if (!isEnabled())
        return true;
    advanceState();
    sendAction();
    return true;
}

bool Button::contains(const Event& event) const
{
    return bounds().contains(convertFrom(event.locationInWindow, nullptr));
}

void Button::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    pressed_ = true;
    setHighlighted(contains(event));
}

void Button::mouseDragged(const Event& event)
{
    if (pressed_)
        setHighlighted(contains(event));
}

void Button::mouseUp(const Event& event)
{
    if (!pressed_)
        return;
    pressed_ = false;
    setHighlighted(false);
    if (contains(event))
        performClick();
}

void Button::mouseTrackingCancelled()
{
    pressed_ = false;
    setHighlighted(false);
    Control::mouseTrackingCancelled();
}

AccessibilityRole Button::accessibilityRole() const
{
    if (type_ == ButtonType::switch_)
        return AccessibilityRole::checkBox;
    if (type_ == ButtonType::radio)
        return AccessibilityRole::radioButton;
    return AccessibilityRole::button;
}

Rect Button::checkBoxRect() const
{
    const Rect rect = bounds();
    return {rect.x() + 1, rect.midY() - checkBoxSide / 2, checkBoxSide, checkBoxSide};
}

double Button::bezelRadius(const Rect& body) const
{
    return bezelStyle_ == BezelStyle::inline_ || bezelStyle_ == BezelStyle::recessed ? body.height() / 2
                                                                                     : std::min(6.0, body.height() / 2);
}

Rect Button::focusRingMaskBounds() const
{
    if (isCheckKind())
        return checkBoxRect();
    return bordered_ ? bounds().insetBy(0.5, 0.5) : bounds();
}

double Button::focusRingCornerRadius() const
{
    if (isCheckKind())
        return type_ == ButtonType::radio ? checkBoxSide / 2 : 3;
    return bordered_ ? bezelRadius(bounds().insetBy(0.5, 0.5)) : 4;
}

void Button::drawBezel(const Rect& rect)
{
    GraphicsContext* context = GraphicsContext::current();
    const Rect body = rect.insetBy(0.5, 0.5);
    const double radius = bezelRadius(body);
    const BezierPath path = BezierPath::roundedRect(body, radius, radius);
    const bool on = keepsState() && state() == StateValue::on;
    Colour fill = on ? Colour::controlAccentColor() : Colour::controlBackgroundColor();
    if (isHighlighted())
        fill = Colour::interpolate(fill, Colour::black(), 0.15);
    context->fillPath(path, fill);
    context->strokePath(path, Colour::separatorColor(), 1);
}

void Button::drawCheck(const Rect& box)
{
    GraphicsContext* context = GraphicsContext::current();
    const bool radio = type_ == ButtonType::radio;
    const Rect body = box.insetBy(0.5, 0.5);
    const BezierPath outline = radio ? BezierPath::oval(body) : BezierPath::roundedRect(body, 3, 3);
    const bool marked = state() != StateValue::off;
    Colour fill = marked ? Colour::controlAccentColor() : Colour::controlBackgroundColor();
    if (isHighlighted())
        fill = Colour::interpolate(fill, Colour::black(), 0.15);
    context->fillPath(outline, fill);
    context->strokePath(outline, Colour::separatorColor(), 1);
    if (!marked)
        return;
    const Colour mark = Colour::whiteColor();
    if (radio) {
        context->fillPath(BezierPath::oval(box.insetBy(box.width() * 0.3, box.height() * 0.3)), mark);
    } else if (state() == StateValue::mixed) {
        context->fillRect({box.x() + 3, box.midY() - 1, box.width() - 6, 2}, mark);
    } else {
        // A tick: from the left third down to the bottom centre, then up to the top right (in y-up points).
        BezierPath tick;
        const bool flipped = context->isFlipped();
        const auto at = [&](double fx, double fy) {
            return Point {box.x() + box.width() * fx,
                          flipped ? box.maxY() - box.height() * fy : box.y() + box.height() * fy};
        };
        tick.moveTo(at(0.22, 0.5));
        tick.lineTo(at(0.42, 0.28));
        tick.lineTo(at(0.78, 0.74));
        context->strokePath(tick, mark, 2);
    }
}

void Button::drawTitleAndImage(const Rect& rect)
{
    GraphicsContext* context = GraphicsContext::current();
    const Colour textColour = titleColour();
    Rect textRect = rect;
    if (image_.isValid() && imagePosition_ != ImagePosition::noImage) {
        const Size size = image_.size();
        const bool alone = imagePosition_ == ImagePosition::imageOnly || title().empty();
        Rect imageRect {alone ? rect.midX() - size.width / 2 : rect.x(), rect.midY() - size.height / 2, size.width,
                        size.height};
        if (imagePosition_ == ImagePosition::imageRight && !alone)
            imageRect.origin.x = rect.maxX() - size.width;
        Image shown = image_;
        if (image_.isTemplate())
            shown = image_.tinted(contentTintColor_.value_or(textColour));
        context->drawImage(shown, imageRect);
        if (alone)
            return;
        if (imagePosition_ == ImagePosition::imageRight)
            textRect.size.width -= size.width + 4;
        else {
            textRect.origin.x += size.width + 4;
            textRect.size.width -= size.width + 4;
        }
    }
    if (title().empty())
        return;
    const Font& titleFont = font();
    const double lineHeight = titleFont.lineHeight();
    const Rect line {textRect.x(), textRect.midY() - lineHeight / 2, textRect.width(), lineHeight};
    context->drawText(title(), line, titleFont, contentTintColor_.value_or(textColour),
                      keepsState() && !bordered_ ? TextAlignment::left : TextAlignment::center, true);
}

void Button::draw(const Rect&)
{
    if (!GraphicsContext::current())
        return;
    const Rect rect = bounds();
    if (isCheckKind()) {
        const Rect box = checkBoxRect();
        drawCheck(box);
        const double left = box.maxX() + checkBoxGap;
        drawTitleAndImage({left, rect.y(), std::max(0.0, rect.maxX() - left), rect.height()});
        return;
    }
    if (bordered_)
        drawBezel(rect);
    drawTitleAndImage(bordered_ ? rect.insetBy(6, 0) : rect);
}

} // namespace Kit
