#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Point.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

#include <optional>

namespace QVToolsKit {

// Conversions between global screen coordinates (y up) and a top-left convention, and pointer queries.
class QVTOOLSKITUI_EXPORT QVCoordinatesAdministrator {
public:
    // Flipped in the first screen whose frame starts at (0, 0); unchanged without one.
    static Kit::Point convertFromBottomLeftToTopLeft(Kit::Point point);
    static Kit::Point convertFromTopLeftToBottomLeft(Kit::Point point);
    static Kit::Point getMouseLocationInScreen();
    static Kit::Point getMouseLocation(const Kit::Window& window);
    // None for a view in no window.
    static std::optional<Kit::Point> getMouseLocation(const Kit::View& view);
    static bool isPointInMainScreen(Kit::Point point);
    // The window's screen's visible frame holds the whole frame; false on no screen.
    static bool isWindowFullyVisible(const Kit::Window& window);
    // (0, 0) without a main screen.
    static Kit::Point getMainScreenCenter();
    static Kit::Point getWindowCenter(const Kit::Window& window);
};

// (x, maxY of the first screen − y); the point unchanged when there is no screen.
QVTOOLSKITUI_EXPORT Kit::Point screenFlipped(Kit::Point point);

} // namespace QVToolsKit
