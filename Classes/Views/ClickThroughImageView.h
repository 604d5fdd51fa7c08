#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/ImageView.h"

#include <optional>

namespace Aerlo {

// An image view that clicks go through: its image tinted (black at 60 % unless told otherwise) and never
// the target of a click, while its subviews stay clickable.
class ClickThroughImageView : public Kit::ImageView {
public:
    // Made from a storyboard with its archived image, which becomes a template image.
    explicit ClickThroughImageView(const Kit::Coder& coder, Kit::Image image = {});
    void awakeFromNib() {}

    const std::optional<Kit::Colour>& imageTintColor() const { return imageTintColor_; }
    void setImageTintColor(std::optional<Kit::Colour> colour);

    // The frontmost subview under the point (in the superview's coordinates), or none.
    Kit::View* hitTest(Kit::Point point) override;

private:
    std::optional<Kit::Colour> imageTintColor_;
};

} // namespace Aerlo
