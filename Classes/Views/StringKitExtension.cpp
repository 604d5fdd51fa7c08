#include "Classes/Views/StringKitExtension.h"

#include "Platform/Kit/Switch.h"

namespace Aerlo {

double width(std::string_view text, const Kit::Font& font) { return size(text, font).width; }

double height(std::string_view text, const Kit::Font& font) { return size(text, font).height; }

Kit::Size size(std::string_view text, const Kit::Font& font) { return font.sizeOf(text); }

bool switchIsOn(const Kit::View* object)
{
    const auto* control = dynamic_cast<const Kit::Switch*>(object);
    return control && control->state() == Kit::StateValue::on;
}

void setSwitchOn(Kit::View* object, Kit::StateValue state)
{
    if (auto* control = dynamic_cast<Kit::Switch*>(object))
        control->setState(state);
}

} // namespace Aerlo
