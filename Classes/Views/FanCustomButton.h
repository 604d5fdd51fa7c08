#pragma once

#include "Classes/Views/TrackingArea.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/Coder.h"

#include <optional>

namespace Aerlo {

// The panels' expand and collapse button: a plain button whose background shows the hover colour while
// the pointer is over it.
class FanCustomButton : public Kit::Button {
public:
    explicit FanCustomButton(const Kit::Rect& frame = {});
    explicit FanCustomButton(const Kit::Coder& coder);
    void awakeFromNib();

    Kit::Colour normalBackground = Kit::Colour::clear();
    Kit::Colour hoverBackground;
    bool mouseInside = false;

    // Inspectable properties.
    const Kit::Colour& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Kit::Colour colour);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    const Kit::Colour& borderColor() const { return borderColor_; }
    void setBorderColor(Kit::Colour colour);

    virtual void applyStyle();
    virtual void applyHover();

    void updateLayer() override;
    void updateTrackingAreas() override;
    void mouseEntered(const Kit::Event& event) override;
    void mouseExited(const Kit::Event& event) override;
    void mouseUp(const Kit::Event& event) override;
    void mouseTrackingCancelled() override;

    // The asset colours, looked up once per process.
    static const Kit::Colour& sharedHoverBackground();
    static const Kit::Colour& sharedPressedBackground();

private:
    void setUp();
    // The press has ended (released, or lost): the pointer counts as outside.
    void pressEnded();

    Kit::Colour backgroundColor_ = Kit::Colour::clear();
    double cornerRadius_ = 0;
    double borderWidth_ = 0;
    Kit::Colour borderColor_ = Kit::Colour::clear();
    std::optional<TrackingArea> trackingArea_;
};

} // namespace Aerlo
