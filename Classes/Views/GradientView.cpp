#include "Classes/Views/GradientView.h"

namespace Aerlo {

GradientView::GradientView(const Kit::Coder& coder) : Kit::View(coder.frame) { setWantsLayer(true); }

void GradientView::awakeFromNib() { updateGradientLayer(); }

void GradientView::setFirstColor(Kit::Colour colour)
{
    firstColor_ = std::move(colour);
    updateGradientLayer();
}

void GradientView::setSecondColor(Kit::Colour colour)
{
    secondColor_ = std::move(colour);
    updateGradientLayer();
}

void GradientView::setIsHorizontal(bool horizontal)
{
    isHorizontal_ = horizontal;
    updateGradientLayer();
}

void GradientView::setLayerOpacity(float opacity)
{
    layerOpacity_ = opacity;
    updateGradientLayer();
}

void GradientView::updateGradientLayer()
{
    gradientLayer_->setColors({firstColor_, secondColor_});
    gradientLayer_->setLocations({0.0, 1.0});
    gradientLayer_->setOpacity(layerOpacity_);
    if (isHorizontal_) {
        gradientLayer_->setStartPoint({0, 0.5});
        gradientLayer_->setEndPoint({1, 0.5});
    } else {
        gradientLayer_->setStartPoint({0.5, 0});
        gradientLayer_->setEndPoint({0.5, 1});
    }
    setLayer(gradientLayer_);
}

} // namespace Aerlo
