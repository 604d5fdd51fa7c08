#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

namespace Kit {

// A view's drop shadow: its colour (alpha included), its offset (y up) and its blur radius.
struct AERLO_KIT_EXPORT Shadow {
    Colour colour = Colour::black().withAlphaComponent(1.0 / 3.0);
    Size offset {0, 0};
    double blurRadius = 0;

    friend bool operator==(const Shadow&, const Shadow&) = default;
};

} // namespace Kit
