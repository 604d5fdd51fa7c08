#pragma once

namespace Kit {

enum class UserInterfaceLayoutDirection { leftToRight = 0, rightToLeft = 1 };

// The application's layout direction (Qt's, which follows the language).
UserInterfaceLayoutDirection userInterfaceLayoutDirection();

} // namespace Kit
