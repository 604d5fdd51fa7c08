#include "Classes/Views/TextView.h"

namespace Aerlo {

TextView::TextView(const Kit::Rect& frame) : Kit::TextField(frame)
{
    configureReadOnly(*this);
    setTextColor(Kit::Colour::labelColor());
}

void TextView::configureReadOnly(Kit::TextField& field)
{
    field.setEditable(false);
    field.setSelectable(false);
    field.setBezeled(false);
    field.setWantsLayer(true);
    field.setDrawsBackground(false);
    field.setBackgroundColor(Kit::Colour::clear());
}

} // namespace Aerlo
