#pragma once

#include "Platform/Kit/AffineTransform.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

#include <optional>
#include <variant>

namespace Kit {

// A value a layer's key path holds or an animation moves through.
using LayerValue = std::variant<double, Point, Size, Rect, Colour, AffineTransform>;

namespace LayerValues {
// Linear interpolation of like values (colours in linear RGBA); unlike values jump at the end.
LayerValue interpolate(const LayerValue& from, const LayerValue& to, double fraction);
// from + by (additive animations); unlike values give `by`.
LayerValue add(const LayerValue& base, const LayerValue& by);
AERLO_KIT_EXPORT std::optional<double> number(const LayerValue& value);
} // namespace LayerValues

} // namespace Kit
