#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Screen.h"
#include "QVToolsKit/UI/FrameGeometry.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace QVToolsKit {

// Facts about a screen (its frame reads come from FrameGeometry.h).
QVTOOLSKITUI_EXPORT bool isMain(const Kit::Screen& screen);
// "NSScreenNumber" when it is a 32-bit unsigned number.
QVTOOLSKITUI_EXPORT std::optional<std::uint32_t> displayID(const Kit::Screen& screen);
QVTOOLSKITUI_EXPORT bool isBuiltin(const Kit::Screen& screen);
// On 12.0 or later, the top safe-area inset when it is not 0.
QVTOOLSKITUI_EXPORT std::optional<double> cameraHousingHeight(const Kit::Screen& screen);
// The status bar's thickness when the main screen hides part of its height, else 0.
QVTOOLSKITUI_EXPORT double menuBarThickness(const Kit::Screen& screen);

// The first built-in screen in list order.
QVTOOLSKITUI_EXPORT std::shared_ptr<Kit::Screen> builtinScreen();
// The first screen whose frame holds the pointer.
QVTOOLSKITUI_EXPORT std::shared_ptr<Kit::Screen> mouseCurrentScreen();

} // namespace QVToolsKit
