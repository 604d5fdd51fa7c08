#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Image.h"

#include <optional>

namespace Kit {
class Button;
}

namespace QVToolsKit {

// Image operations, as free functions taking the image first. Each draws into a new image; an empty
// image or a size or radius of zero or less gives an empty image (or none) and draws nothing anywhere.

// The image's pixels painted with the colour (source-atop over a copy); the receiver is left alone.
QVTOOLSKITUI_EXPORT Kit::Image withTintColor(const Kit::Image& image, const Kit::Colour& colour);
// A copy painted with the colour where it has pixels; none when the image is empty.
QVTOOLSKITUI_EXPORT std::optional<Kit::Image> render(const Kit::Image& image, const Kit::Colour& colour);
// The button's image scaled to the size (its own when none) and tinted; a button without an image, or a
// size of zero or less, keeps its image.
QVTOOLSKITUI_EXPORT void setImageTintColor(Kit::Button& button, const Kit::Colour& colour, std::optional<Kit::Size> size = std::nullopt);
// The centred square of the pixels (origin floored), drawn into a side × side image.
QVTOOLSKITUI_EXPORT std::optional<Kit::Image> croppedCenterSquare(const Kit::Image& image, double side);
// The image clipped to the oval of its bounds.
QVTOOLSKITUI_EXPORT Kit::Image rounded(const Kit::Image& image);
// A 2r × 2r rounded rectangle of the colour with cap insets r, so it stretches without distorting.
QVTOOLSKITUI_EXPORT Kit::Image maskImage(double cornerRadius, const Kit::Colour& fillColor);
// The image turned clockwise by a multiple of 90 degrees; any other angle, or a whole turn, gives the
// image itself.
QVTOOLSKITUI_EXPORT Kit::Image rotate(const Kit::Image& image, int angle);

} // namespace QVToolsKit
