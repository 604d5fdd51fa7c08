#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Box.h"
#include "Platform/Kit/Coder.h"
#include "Platform/Kit/Colour.h"

namespace QVToolsKit {

// The framework's plain panel: a custom box with rounded corners, an optional border, a translucent
// fill for light and one for dark, and an optional shadow whose colour follows the appearance. Dark
// means the application's appearance matches dark aqua (not the box's own).
class QVTOOLSKITUI_EXPORT QVBaseBox : public Kit::Box {
public:
    explicit QVBaseBox(const Kit::Rect& frame = {});
    explicit QVBaseBox(const Kit::Coder& coder);

    double boxCornerRadius() const { return boxCornerRadius_; }
    void setBoxCornerRadius(double radius);
    double boxBorderWidth() const { return boxBorderWidth_; }
    void setBoxBorderWidth(double width);
    const Kit::Colour& boxBorderColor() const { return boxBorderColor_; }
    void setBoxBorderColor(Kit::Colour colour);
    // A new background colour shows at once when it is the one for the current appearance.
    const Kit::Colour& darkBackgroundColor() const { return darkBackgroundColor_; }
    void setDarkBackgroundColor(Kit::Colour colour);
    const Kit::Colour& lightBackgroundColor() const { return lightBackgroundColor_; }
    void setLightBackgroundColor(Kit::Colour colour);
    bool showShadow() const { return showShadow_; }
    void setShowShadow(bool show);
    const Kit::Colour& darkShadowColor() const { return darkShadowColor_; }
    void setDarkShadowColor(Kit::Colour colour);
    const Kit::Colour& lightShadowColor() const { return lightShadowColor_; }
    void setLightShadowColor(Kit::Colour colour);
    Kit::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Kit::Size offset);
    double shadowBlurRadius() const { return shadowBlurRadius_; }
    void setShadowBlurRadius(double radius);

    void awakeFromNib();
    void viewDidChangeEffectiveAppearance() override;

private:
    void configUI();
    void setBackgroundColor();
    void updateShadow();
    void updateBorderColor();
    static bool isDark();

    double boxCornerRadius_ = 15;
    double boxBorderWidth_ = 0;
    Kit::Colour boxBorderColor_ = Kit::Colour::clear();
    Kit::Colour darkBackgroundColor_ = Kit::Colour::white(0, 0.15);
    Kit::Colour lightBackgroundColor_ = Kit::Colour::white(1, 0.4);
    bool showShadow_ = false;
    Kit::Colour darkShadowColor_ = Kit::Colour::black().withAlphaComponent(0.25);
    Kit::Colour lightShadowColor_ = Kit::Colour::whiteColor().withAlphaComponent(0.25);
    Kit::Size shadowOffset_ {0, -4};
    double shadowBlurRadius_ = 8;
};

} // namespace QVToolsKit
