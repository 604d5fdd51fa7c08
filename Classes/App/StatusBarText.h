#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/View.h"

#include <string>

namespace Aerlo {

// A text of the status item: drawn at its origin, or centred in its bounds.
class StatusBarText : public Kit::View {
public:
    enum class Placement { origin, centred };

    StatusBarText(double fontSize, Placement placement);

    std::string stringValue;
    Kit::Font font;
    Kit::Colour textColor = Kit::Colour::controlTextColor();

    void draw(const Kit::Rect& dirtyRect) override;

private:
    Placement placement_;
};

} // namespace Aerlo
