#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Font.h"

namespace QVToolsKit {

// The framework's module-level values about screens, fonts and appearance. Those marked "once" are
// read on first use and kept for the process (OnceValue::resetForTesting forgets them).

// Once: the main screen's backing scale (1 without a screen), frame width and height (0 without one).
QVTOOLSKITUI_EXPORT double kScreenScale();
QVTOOLSKITUI_EXPORT double kScreenWidth();
QVTOOLSKITUI_EXPORT double kScreenHeight();
// Once: the height of the application's main-menu bar. This platform has no global menu bar: 0.
QVTOOLSKITUI_EXPORT double kStatusBarHeight();

QVTOOLSKITUI_EXPORT Kit::Font font(double ofSize);
QVTOOLSKITUI_EXPORT Kit::Font boldFont(double ofSize);
QVTOOLSKITUI_EXPORT Kit::Font mediumFont(double ofSize, double weight);

// Once: the application's effective appearance matches dark aqua best (among dark aqua and aqua).
QVTOOLSKITUI_EXPORT bool kAppIsDarkTheme();

} // namespace QVToolsKit
