#pragma once

#include "Platform/Kit/Image.h"

#include <memory>

namespace Kit {
class StatusItem;
class View;
}

namespace Kit::Testing {

// A view in the item's button with a red bar from its centre to the right, turning once a second for ever.
std::shared_ptr<View> addTurningBar(StatusItem& item);
// A 20-point filled square, as a template image.
Image squareTemplateImage();

} // namespace Kit::Testing
