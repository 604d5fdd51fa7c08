#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

struct AERLO_KIT_EXPORT Size {
    double width = 0;
    double height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

} // namespace Kit
