#include "QVToolsKit/UI/QVBaseBox.h"

#include "Platform/Kit/Appearance.h"

#include <string>

namespace QVToolsKit {

QVBaseBox::QVBaseBox(const Kit::Rect& frame) : Kit::Box(frame) { configUI(); }

QVBaseBox::QVBaseBox(const Kit::Coder& coder) : Kit::Box(coder.frame) { configUI(); }

void QVBaseBox::setBoxCornerRadius(double radius)
{
    boxCornerRadius_ = radius;
    setCornerRadius(radius);
}

void QVBaseBox::setBoxBorderWidth(double width)
{
    boxBorderWidth_ = width;
    setBorderWidth(width);
}

void QVBaseBox::setBoxBorderColor(Kit::Colour colour)
{
    boxBorderColor_ = std::move(colour);
    setBorderColor(boxBorderColor_);
}

void QVBaseBox::setDarkBackgroundColor(Kit::Colour colour)
{
    darkBackgroundColor_ = std::move(colour);
    setBackgroundColor();
    setNeedsDisplay();
}

void QVBaseBox::setLightBackgroundColor(Kit::Colour colour)
{
    lightBackgroundColor_ = std::move(colour);
    setBackgroundColor();
    setNeedsDisplay();
}

void QVBaseBox::setShowShadow(bool show)
{
    showShadow_ = show;
    updateShadow();
}

void QVBaseBox::setDarkShadowColor(Kit::Colour colour)
{
    darkShadowColor_ = std::move(colour);
    updateShadow();
}

void QVBaseBox::setLightShadowColor(Kit::Colour colour)
{
    lightShadowColor_ = std::move(colour);
    updateShadow();
}

void QVBaseBox::setShadowOffset(Kit::Size offset)
{
    shadowOffset_ = offset;
    updateShadow();
}

void QVBaseBox::setShadowBlurRadius(double radius)
{
    shadowBlurRadius_ = radius;
    updateShadow();
}

void QVBaseBox::awakeFromNib() { configUI(); }

void QVBaseBox::viewDidChangeEffectiveAppearance()
{
    Kit::Box::viewDidChangeEffectiveAppearance();
    setBackgroundColor();
    updateShadow();
    updateBorderColor();
}

bool QVBaseBox::isDark()
{
    const auto match = Kit::Appearance::effectiveApplication().bestMatch(
        {std::string(Kit::Appearance::darkAquaName), std::string(Kit::Appearance::aquaName)});
    return match && *match == Kit::Appearance::darkAquaName;
}

void QVBaseBox::configUI()
{
    setBoxType(BoxType::custom);
    setTitlePosition(TitlePosition::noTitle);
    setCornerRadius(boxCornerRadius_);
    setBorderWidth(boxBorderWidth_);
    setBorderColor(boxBorderColor_);
    setContentViewMargins({0, 0});
    setBackgroundColor();
    updateShadow();
    updateBorderColor();
}

void QVBaseBox::setBackgroundColor() { setFillColor(isDark() ? darkBackgroundColor_ : lightBackgroundColor_); }

void QVBaseBox::updateBorderColor()
{
    setBorderColor(isDark() ? boxBorderColor_.withAlphaComponent(0.3) : Kit::Colour::clear());
}

void QVBaseBox::updateShadow()
{
    if (!showShadow_) {
        setShadow(std::nullopt);
        return;
    }
    setShadow(Kit::Shadow {isDark() ? lightShadowColor_ : darkShadowColor_, shadowOffset_, shadowBlurRadius_});
    setWantsLayer(true);
}

} // namespace QVToolsKit
