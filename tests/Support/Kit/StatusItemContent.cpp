#include "tests/Support/Kit/StatusItemContent.h"

#include "Platform/Kit/Animation.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/StatusItem.h"
#include "Platform/Kit/View.h"

#include <cmath>

namespace Kit::Testing {

std::shared_ptr<View> addTurningBar(StatusItem& item)
{
    auto bar = std::make_shared<View>(Rect {3, 3, 16, 16});
    auto arm = std::make_shared<View>(Rect {8, 6, 8, 4});
    arm->layer().setBackgroundColor(Colour::red());
    bar->addSubview(arm);
    item.button()->addSubview(bar);
    bar->layer().setAnchorPoint({0.5, 0.5});
    bar->layer().setPosition({11, 11});
    auto turn = std::make_shared<BasicAnimation>("transform.rotation.z");
    turn->toValue = LayerValue(2 * M_PI);
    turn->duration = 1;
    turn->repeatCount = Animation::infinity;
    bar->layer().addAnimation(turn, "rotationAnimation");
    return bar;
}

Image squareTemplateImage()
{
    Image image = Image::withSize({20, 20}, false, [](const Rect& rect) {
        GraphicsContext::current()->fillRect(rect, Colour::black());
        return true;
    });
    image.setTemplate(true);
    return image;
}

} // namespace Kit::Testing
