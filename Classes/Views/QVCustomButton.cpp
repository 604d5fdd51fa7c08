#include "Classes/Views/QVCustomButton.h"

#include "Classes/Views/AnimationDelegate.h"
#include "Platform/Kit/Window.h"

#include <cmath>

namespace Aerlo {

namespace {

constexpr double activeDuration = 0.2;
constexpr double normalDuration = 0.1;
constexpr double scaleOutsideWindow = 2.0;

} // namespace

QVCustomButton::QVCustomButton(const Kit::Rect& frame) : Kit::Button(frame)
{
    setupLayer();
    // Its look is its layer's: no focus ring.
    setFocusRingType(FocusRingType::none);
}

QVCustomButton::QVCustomButton(const Kit::Coder& coder) : QVCustomButton(coder.frame) {}

QVCustomButton::~QVCustomButton() = default;

std::shared_ptr<QVCustomButton> QVCustomButton::circleButton(std::string title, double radius, Kit::Point center)
{
    auto button = std::make_shared<QVCustomButton>();
    button->setTitle(std::move(title));
    button->setFrame({center.x - radius, center.y - radius, 2 * radius, 2 * radius});
    button->setCornerRadius(radius);
    button->setFont(Kit::Font::systemFont(2 * radius / 3));
    return button;
}

void QVCustomButton::setupLayer()
{
    const bool on = isOn();
    setWantsLayer(true);
    Kit::Layer& l = layer();
    l.setMasksToBounds(false);
    l.setCornerRadius(cornerRadius_);
    l.setBorderWidth(borderWidth_);
    l.setShadowRadius(on && activeShadowRadius_ != -1 ? activeShadowRadius_ : shadowRadius_);
    l.setShadowOpacity(static_cast<float>(on && activeShadowOpacity_ != -1 ? activeShadowOpacity_ : shadowOpacity_));
    l.setBackgroundColor(on ? activeBackgroundColor_ : backgroundColor_);
    l.setBorderColor(on ? activeBorderColor_ : borderColor_);
    l.setShadowColor(on ? activeShadowColor_.value_or(shadowColor_) : shadowColor_);
    l.setCornerCurve(hasContinuousCorners_ ? Kit::CornerCurve::continuous : Kit::CornerCurve::circular);

    titleLayer_->setAlignmentMode(Kit::TextAlignment::center);
    titleLayer_->setContentsScale(window() ? window()->backingScaleFactor() : scaleOutsideWindow);
    titleLayer_->setForegroundColor(on ? activeTextColor_ : textColor_);
    l.addSublayer(titleLayer_);

    updateTitle();
    setNeedsDisplay();
}

void QVCustomButton::updateTitle()
{
    titleLayer_->setString(title());
    titleLayer_->setFont(font());
    titleLayer_->setFontSize(font().pointSize());
    setNeedsLayout();
}

void QVCustomButton::layoutTitle()
{
    const Kit::Size size = font().sizeOf(title());
    const Kit::Rect b = bounds();
    const double x = std::round((b.width() - size.width) * 0.5);
    const double y = std::round((b.height() - size.height) * 0.5);
    titleLayer_->setFrame({x, y, size.width, size.height});
}

void QVCustomButton::layout()
{
    Kit::Button::layout();
    layoutTitle();
}

void QVCustomButton::setTitle(std::string title)
{
    Kit::Button::setTitle(std::move(title));
    updateTitle();
}

void QVCustomButton::setFont(Kit::Font font)
{
    Kit::Button::setFont(std::move(font));
    updateTitle();
}

void QVCustomButton::setEnabled(bool enabled)
{
    Kit::Button::setEnabled(enabled);
    setAlphaValue(enabled ? 1.0 : 0.6);
}

Kit::View* QVCustomButton::hitTest(Kit::Point point) { return isEnabled() ? Kit::Button::hitTest(point) : nullptr; }

void QVCustomButton::viewDidChangeBackingProperties()
{
    if (Kit::Window* w = window()) {
        layer().setContentsScale(w->backingScaleFactor());
        titleLayer_->setContentsScale(w->backingScaleFactor());
    }
}

// Setters.

void QVCustomButton::setTextColor(Kit::Colour colour)
{
    textColor_ = std::move(colour);
    titleLayer_->setForegroundColor(textColor_);
}

void QVCustomButton::setActiveTextColor(Kit::Colour colour)
{
    activeTextColor_ = std::move(colour);
    if (isOn())
        titleLayer_->setForegroundColor(activeTextColor_);
}

void QVCustomButton::setCornerRadius(double radius)
{
    cornerRadius_ = radius;
    layer().setCornerRadius(radius);
}

void QVCustomButton::setHasContinuousCorners(bool continuous)
{
    hasContinuousCorners_ = continuous;
    layer().setCornerCurve(continuous ? Kit::CornerCurve::continuous : Kit::CornerCurve::circular);
}

void QVCustomButton::setBorderWidth(double width)
{
    borderWidth_ = width;
    layer().setBorderWidth(width);
}

void QVCustomButton::setBorderColor(Kit::Colour colour)
{
    borderColor_ = std::move(colour);
    layer().setBorderColor(borderColor_);
}

void QVCustomButton::setActiveBorderColor(Kit::Colour colour)
{
    activeBorderColor_ = std::move(colour);
    if (isOn())
        layer().setBorderColor(activeBorderColor_);
}

void QVCustomButton::setBackgroundColor(Kit::Colour colour)
{
    backgroundColor_ = std::move(colour);
    layer().setBackgroundColor(backgroundColor_);
}

void QVCustomButton::setActiveBackgroundColor(Kit::Colour colour)
{
    activeBackgroundColor_ = std::move(colour);
    if (isOn())
        layer().setBackgroundColor(activeBackgroundColor_);
}

void QVCustomButton::setShadowRadius(double radius)
{
    shadowRadius_ = radius;
    layer().setShadowRadius(radius);
}

void QVCustomButton::setActiveShadowRadius(double radius)
{
    activeShadowRadius_ = radius;
    if (isOn())
        layer().setShadowRadius(radius);
}

void QVCustomButton::setShadowOpacity(double opacity)
{
    shadowOpacity_ = opacity;
    layer().setShadowOpacity(static_cast<float>(opacity));
}

void QVCustomButton::setActiveShadowOpacity(double opacity)
{
    activeShadowOpacity_ = opacity;
    if (isOn())
        layer().setShadowOpacity(static_cast<float>(opacity));
}

void QVCustomButton::setShadowColor(Kit::Colour colour)
{
    shadowColor_ = std::move(colour);
    layer().setShadowColor(shadowColor_);
}

void QVCustomButton::setActiveShadowColor(std::optional<Kit::Colour> colour)
{
    activeShadowColor_ = std::move(colour);
    if (isOn() && activeShadowColor_)
        layer().setShadowColor(*activeShadowColor_);
}

// Colour providers.

QVCustomButton::ColorGenerator QVCustomButton::colorGenerator(const std::string& keyPath) const
{
    const auto found = colorGenerators_.find(keyPath);
    return found == colorGenerators_.end() ? ColorGenerator() : found->second;
}

void QVCustomButton::setColorGenerator(const std::string& keyPath, ColorGenerator generator)
{
    if (generator)
        colorGenerators_[keyPath] = std::move(generator);
    else
        colorGenerators_.erase(keyPath);
}

Kit::Colour QVCustomButton::generated(const std::string& keyPath, const Kit::Colour& stored) const
{
    const auto found = colorGenerators_.find(keyPath);
    return found == colorGenerators_.end() ? stored : found->second();
}

// The look.

void QVCustomButton::updateLayer() { updateStateAppearance(); }

void QVCustomButton::updateStateAppearance()
{
    Kit::Colour background, title, border, shadow;
    double duration = normalDuration;
    if (isOn()) {
        background = generated("activeBackgroundColor", activeBackgroundColor_);
        title = generated("activeTextColor", activeTextColor_);
        border = generated("activeBorderColor", activeBorderColor_);
        shadow = activeShadowColor_ ? *activeShadowColor_ : generated("shadowColor", shadowColor_);
        duration = activeDuration;
    } else {
        background = generated("backgroundColor", backgroundColor_);
        title = generated("textColor", textColor_);
        border = generated("borderColor", borderColor_);
        shadow = generated("shadowColor", shadowColor_);
    }
    animateLayer(layer(), "backgroundColor", background, duration);
    animateLayer(layer(), "borderColor", border, duration);
    animateLayer(layer(), "shadowColor", shadow, duration);
    animateLayer(*titleLayer_, "foregroundColor", title, duration);
}

void QVCustomButton::animateLayer(Kit::Layer& layer, const std::string& keyPath, const Kit::Colour& colour,
                                  double duration)
{
    static const char* const colourKeys[] = {"backgroundColor", "borderColor", "shadowColor", "foregroundColor"};
    std::string key;
    for (const char* name : colourKeys)
        if (keyPath == name)
            key = name;

    auto animation = std::make_shared<Kit::BasicAnimation>(keyPath);
    animation->fromValue = layer.value(keyPath);
    animation->toValue = colour;
    animation->duration = duration;
    animation->fillMode = Kit::Animation::FillMode::forwards;
    animation->isRemovedOnCompletion = false;
    auto delegate = std::make_shared<AnimationDelegate>();
    std::weak_ptr<Kit::Layer> weakLayer = layer.shared_from_this();
    delegate->didStopHandler = [weakLayer, keyPath, key, colour](bool finished) {
        const auto target = weakLayer.lock();
        if (!target)
            return;
        target->setValue(keyPath, colour);
        // A finished animation that stayed would hold its end value over later direct writes: the model
        // has the colour now, so it goes (unless a newer one took its key).
        if (finished) {
            const auto current = target->animation(key);
            if (current && current->hasEnded(target->localTime()))
                target->removeAnimation(key);
        }
    };
    animation->delegate = delegate;
    layer.addAnimation(animation, key);
}

// Tracking and the press.

const TrackingArea& QVCustomButton::trackingArea()
{
    if (!trackingArea_)
        trackingArea_.emplace(this, bounds(),
                              Kit::TrackingArea::mouseEnteredAndExited | Kit::TrackingArea::activeInActiveApp);
    return *trackingArea_;
}

void QVCustomButton::updateTrackingAreas()
{
    Kit::Button::updateTrackingAreas();
    trackingArea();
    trackingArea_->update();
}

void QVCustomButton::toggle()
{
    setState(isOn() ? Kit::StateValue::off : Kit::StateValue::on);
    updateStateAppearance();
}

void QVCustomButton::mouseDown(const Kit::Event&)
{
    isMouseDown_ = true;
    toggle();
}

void QVCustomButton::mouseEntered(const Kit::Event&)
{
    if (isMouseDown_)
        toggle();
}

void QVCustomButton::mouseExited(const Kit::Event&)
{
    if (!isMouseDown_)
        return;
    toggle();
    isMouseDown_ = false;
}

void QVCustomButton::mouseUp(const Kit::Event&)
{
    if (!isMouseDown_)
        return;
    isMouseDown_ = false;
    toggle();
    if (target())
        sendAction();
}

void QVCustomButton::mouseTrackingCancelled()
{
    // A press lost without a release ends as a press dragged out does.
    if (!isMouseDown_)
        return;
    toggle();
    isMouseDown_ = false;
}

} // namespace Aerlo
