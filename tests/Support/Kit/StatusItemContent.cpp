#include "tests/Support/Kit/StatusItemContent.h"

#include "Platform/Kit/Animation.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/StatusItem.h"
#include "Platform/Kit/View.h"
#include "tests/Support/Kit/Snapshot.h"

#include <cmath>

namespace Kit::Testing {

std::shared_ptr<View> addTurningBar(StatusItem& item, double period)
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
    turn->duration = period;
    turn->repeatCount = Animation::infinity;
    bar->layer().addAnimation(turn, "rotationAnimation");
    return bar;
}

double turningBarAngle(const Image& icon)
{
    // The red pixels' centre, seen from the bar's centre.
    const Snapshot snapshot(icon);
    double x = 0;
    double y = 0;
    for (double px = 0.25; px < snapshot.size().width; px += 0.5) {
        for (double py = 0.25; py < snapshot.size().height; py += 0.5) {
            const Colour colour = snapshot.colourAt({px, py});
            if (colour.alphaComponent() > 0.5 && colour.redComponent() > 0.5 && colour.greenComponent() < 0.3) {
                x += px - 11;
                y += py - 11;
            }
        }
    }
    return std::atan2(y, x) * 180 / M_PI;
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
