#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

namespace Kit {

// What a view made from a storyboard is initialised with: the archived frame. Code builders stand in for
// storyboards: they make the view from a coder, set its inspectable properties and outlets, then wake it.
struct AERLO_KIT_EXPORT Coder {
    Rect frame;
};

} // namespace Kit
