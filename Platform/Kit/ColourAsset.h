#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/KitExport.h"

#include <optional>
#include <string_view>

namespace Kit {

// The application's colour assets: "Colors.json" in the main bundle's resources, an object of
// {"light": [r, g, b, a], "dark": [r, g, b, a]} by name (components 0…1). Read once.
class AERLO_KIT_EXPORT ColourAsset {
public:
    // The named colour, dynamic between its light and dark values; none for an unknown name.
    static std::optional<Colour> named(std::string_view name);
};

} // namespace Kit
