#pragma once

#include "Platform/Kit/Font.h"
#include "Platform/Kit/Size.h"
#include "Platform/Kit/StateValue.h"

#include <string_view>

namespace Kit {
class View;
}

// The text-size and switch helpers that need Kit (the other string helpers live in
// Classes/Configure/Global/StringExtension.h, below the windows).
namespace Aerlo {

// The size of the text drawn with only the font attribute set.
double width(std::string_view text, const Kit::Font& font);
double height(std::string_view text, const Kit::Font& font);
Kit::Size size(std::string_view text, const Kit::Font& font);

// True only for a switch whose state is on (a check box or any other view is not a switch).
bool switchIsOn(const Kit::View* object);
// Sets the state of a switch; anything else is left alone.
void setSwitchOn(Kit::View* object, Kit::StateValue state);

} // namespace Aerlo
