#include "Classes/Views/FanCustomButton.h"

#include "Platform/Kit/ColourAsset.h"

namespace Aerlo {

const Kit::Colour& FanCustomButton::sharedHoverBackground()
{
    static const Kit::Colour colour =
        Kit::ColourAsset::named("InitialWindowActionButtonBackgroundHover").value_or(Kit::Colour::clear());
    return colour;
}

const Kit::Colour& FanCustomButton::sharedPressedBackground()
{
    static const Kit::Colour colour =
        Kit::ColourAsset::named("InitialWindowActionButtonBackgroundPressed").value_or(Kit::Colour::clear());
    return colour;
}

FanCustomButton::FanCustomButton(const Kit::Rect& frame) : Kit::Button(frame) { setUp(); }

FanCustomButton::FanCustomButton(const Kit::Coder& coder) : Kit::Button(coder.frame) { setUp(); }

void FanCustomButton::setUp()
{
    hoverBackground = sharedHoverBackground();
    // Loaded with the hover colour; no state paints it.
    (void)sharedPressedBackground();
    layer().setCornerRadius(cornerRadius_);
    layer().setBackgroundColor(backgroundColor_);
    updateTrackingAreas();
}

void FanCustomButton::awakeFromNib() { applyStyle(); }

void FanCustomButton::applyStyle()
{
    layer().setCornerRadius(cornerRadius_);
    layer().setBackgroundColor(backgroundColor_);
    updateTrackingAreas();
}

void FanCustomButton::applyHover() { layer().setBackgroundColor(mouseInside ? hoverBackground : normalBackground); }

void FanCustomButton::setBackgroundColor(Kit::Colour colour)
{
    backgroundColor_ = std::move(colour);
    applyHover();
}

void FanCustomButton::setCornerRadius(double radius)
{
    cornerRadius_ = radius;
    layer().setCornerRadius(radius);
}

void FanCustomButton::setBorderWidth(double width)
{
    borderWidth_ = width;
    layer().setBorderWidth(width);
}

void FanCustomButton::setBorderColor(Kit::Colour colour)
{
    borderColor_ = std::move(colour);
    layer().setBorderColor(borderColor_);
}

void FanCustomButton::updateLayer()
{
    layer().setCornerRadius(cornerRadius_);
    layer().setBorderWidth(borderWidth_);
    layer().setBorderColor(borderColor_);
}

void FanCustomButton::updateTrackingAreas()
{
    // Over the current bounds, in place of the area installed before.
    if (trackingArea_)
        trackingArea_->remove();
    trackingArea_.emplace(this, bounds(), Kit::TrackingArea::mouseEnteredAndExited | Kit::TrackingArea::activeAlways);
    trackingArea_->update();
}

void FanCustomButton::mouseEntered(const Kit::Event& event)
{
    Kit::Button::mouseEntered(event);
    mouseInside = true;
    applyHover();
}

void FanCustomButton::mouseExited(const Kit::Event& event)
{
    Kit::Button::mouseExited(event);
    mouseInside = false;
    applyHover();
}

void FanCustomButton::mouseUp(const Kit::Event& event)
{
    // The release ends the press the base class tracked (and sends its action).
    Kit::Button::mouseUp(event);
    pressEnded();
}

void FanCustomButton::mouseTrackingCancelled()
{
    Kit::Button::mouseTrackingCancelled();
    pressEnded();
}

void FanCustomButton::pressEnded()
{
    mouseInside = false;
    applyHover();
}

} // namespace Aerlo
