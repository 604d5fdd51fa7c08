#include "Classes/Views/ClickThroughImageView.h"

namespace Aerlo {

ClickThroughImageView::ClickThroughImageView(const Kit::Coder& coder, Kit::Image image) : Kit::ImageView(coder.frame)
{
    setImage(std::move(image));
    setContentTintColor(Kit::Colour::black().withAlphaComponent(0.6));
    setWantsLayer(true);
    if (this->image().isValid()) {
        Kit::Image templateImage = this->image();
        templateImage.setTemplate(true);
        setImage(templateImage);
    }
}

void ClickThroughImageView::setImageTintColor(std::optional<Kit::Colour> colour)
{
    imageTintColor_ = std::move(colour);
    setContentTintColor(imageTintColor_);
}

Kit::View* ClickThroughImageView::hitTest(Kit::Point point)
{
    // Subviews are asked in this view's own coordinates, frontmost first.
    const Kit::Point local = convertFrom(point, superview());
    const auto& children = subviews();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if ((*child)->hitTest(local))
            return child->get();
    }
    return nullptr;
}

} // namespace Aerlo
