#pragma once

#include "Platform/Kit/KitExport.h"

namespace Kit {

enum class UserInterfaceLayoutDirection { leftToRight = 0, rightToLeft = 1 };

// The application's layout direction (Qt's, which follows the language).
AERLO_KIT_EXPORT UserInterfaceLayoutDirection userInterfaceLayoutDirection();

} // namespace Kit
