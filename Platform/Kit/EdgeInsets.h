#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

struct AERLO_KIT_EXPORT EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

} // namespace Kit
