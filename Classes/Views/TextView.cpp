#include "Classes/Views/TextView.h"

namespace Aerlo {

TextView::TextView(const Kit::Rect& frame) : Kit::TextField(frame)
{
    configureReadOnly(*this, Kit::Colour::labelColor(), Kit::TextAlignment::natural);
}

void TextView::configureReadOnly(Kit::TextField& field, Kit::Colour textColour, Kit::TextAlignment alignment,
                                 std::optional<Kit::Font> font)
{
    field.setEditable(false);
    field.setSelectable(false);
    field.setBezeled(false);
    field.setWantsLayer(true);
    field.setDrawsBackground(false);
    field.setBackgroundColor(Kit::Colour::clear());
    field.setTextColor(std::move(textColour));
    field.setAlignment(alignment);
    if (font)
        field.setFont(std::move(*font));
}

} // namespace Aerlo
