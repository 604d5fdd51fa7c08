#pragma once

#include "Platform/Kit/Font.h"

namespace QVToolsKit {

// The framework's module-level values about screens, fonts and appearance. Those marked "once" are
// read on first use and kept for the process (OnceValue::resetForTesting forgets them).

// Once: the main screen's backing scale (1 without a screen), frame width and height (0 without one).
double kScreenScale();
double kScreenWidth();
double kScreenHeight();
// Once: the height of the application's main-menu bar. This platform has no global menu bar: 0.
double kStatusBarHeight();

Kit::Font font(double ofSize);
Kit::Font boldFont(double ofSize);
Kit::Font mediumFont(double ofSize, double weight);

// Once: the application's effective appearance matches dark aqua best (among dark aqua and aqua).
bool kAppIsDarkTheme();

} // namespace QVToolsKit
