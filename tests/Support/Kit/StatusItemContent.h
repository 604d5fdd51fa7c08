#pragma once

#include "Platform/Kit/Image.h"

#include <memory>

namespace Kit {
class StatusItem;
class View;
}

namespace Kit::Testing {

// A view in the item's button with a red bar from its centre to the right, turning counter-clockwise once
// per `period` seconds for ever.
std::shared_ptr<View> addTurningBar(StatusItem& item, double period = 1);
// The bar's angle in a square icon image of the item (degrees, counter-clockwise from the right, y up).
double turningBarAngle(const Image& icon);
// A 20-point filled square, as a template image.
Image squareTemplateImage();

} // namespace Kit::Testing
