#pragma once

#include "Platform/Kit/TextField.h"

#include <optional>

namespace Aerlo {

// A read-only title in the label colour.
class TextView : public Kit::TextField {
public:
    explicit TextView(const Kit::Rect& frame);

    // Not editable, selectable or bezeled; layer-backed; a clear background; the text's colour and alignment,
    // and its font when one is given.
    static void configureReadOnly(Kit::TextField& field, Kit::Colour textColour, Kit::TextAlignment alignment,
                                  std::optional<Kit::Font> font = std::nullopt);
};

} // namespace Aerlo
