#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace QVToolsKit {

// Colour operations, as free functions. Components are divided by 255 where they come on 0-255 and
// are never clamped.

// A dynamic colour: the dark one (or the light one when there is none) where it is drawn under dark aqua
// or vibrant dark, the light one elsewhere.
QVTOOLSKITUI_EXPORT Kit::Colour colorLight(Kit::Colour light, std::optional<Kit::Colour> dark = std::nullopt);
// Bits 16-23, 8-15 and 0-7 as red, green and blue; higher bits are ignored.
QVTOOLSKITUI_EXPORT Kit::Colour colorHex(long long hex, double alpha = 1.0);
QVTOOLSKITUI_EXPORT Kit::Colour hexColor(unsigned long long hex);
QVTOOLSKITUI_EXPORT Kit::Colour rgbaColor(double red, double green, double blue, double alpha);
QVTOOLSKITUI_EXPORT Kit::Colour rgbColor(double gray);
// Each component a fresh 32-bit number modulo 255, over 255 (never 1.0), drawn red, green, blue.
QVTOOLSKITUI_EXPORT Kit::Colour randomColor(const std::function<std::uint32_t()>& source = {});
QVTOOLSKITUI_EXPORT Kit::Colour controlAccentColor();
QVTOOLSKITUI_EXPORT Kit::Colour blackColorWithAlpha(double alpha);
QVTOOLSKITUI_EXPORT Kit::Colour whiteColorWithAlpha(double alpha);

} // namespace QVToolsKit
