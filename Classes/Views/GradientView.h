#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/GradientLayer.h"
#include "Platform/Kit/View.h"

#include <memory>

namespace Aerlo {

// A view whose layer is a two-colour gradient, horizontal (first colour at the left) or vertical (first
// colour at the bottom). Made from storyboards only.
class GradientView : public Kit::View {
public:
    explicit GradientView(const Kit::Coder& coder);
    void awakeFromNib();

    const std::shared_ptr<Kit::GradientLayer>& gradientLayer() const { return gradientLayer_; }
    const Kit::Colour& firstColor() const { return firstColor_; }
    void setFirstColor(Kit::Colour colour);
    const Kit::Colour& secondColor() const { return secondColor_; }
    void setSecondColor(Kit::Colour colour);
    bool isHorizontal() const { return isHorizontal_; }
    void setIsHorizontal(bool horizontal);
    float layerOpacity() const { return layerOpacity_; }
    void setLayerOpacity(float opacity);

    void updateGradientLayer();

private:
    std::shared_ptr<Kit::GradientLayer> gradientLayer_ = std::make_shared<Kit::GradientLayer>();
    Kit::Colour firstColor_ = Kit::Colour::clear();
    Kit::Colour secondColor_ = Kit::Colour::clear();
    bool isHorizontal_ = true;
    float layerOpacity_ = 1.0f;
};

} // namespace Aerlo
