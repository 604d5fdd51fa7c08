#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Window.h"

#include <string_view>
#include <vector>

namespace QVToolsKit {

// Window settings in one place. Every operation accepts an absent window and then does nothing.
class QVTOOLSKITUI_EXPORT QVWindowManager {
public:
    using ButtonType = Kit::Window::ButtonType;

    static QVWindowManager& shared();

    // Level 25 (the main menu's plus one) on top, else 0.
    static void setWindowLevel(Kit::Window* window, bool isOnTop);
    static void hideStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types);
    static void showStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types);
    static void disableStandardButtons(Kit::Window* window, const std::vector<ButtonType>& types);
    static void setMovableByBackground(Kit::Window* window, bool isMovable);
    static void setResizable(Kit::Window* window, bool isResizable);
    static void setMinimizable(Kit::Window* window, bool isMinimizable);
    static void setCornerRadius(Kit::Window* window, double radius);
    static void setHasShadow(Kit::Window* window, bool hasShadow);
    static void setBorderlessStyle(Kit::Window* window);
    static void centerWindow(Kit::Window* window);
    static void setAlpha(Kit::Window* window, double alpha);
    static void setHidesOnDeactivate(Kit::Window* window, bool enabled);
    // The window's backing scale; without a window the main screen's; without a main screen 1.0.
    static double getBackingScaleFactor(const Kit::Window* window);
    static void setIgnoresMouseEvents(Kit::Window* window, bool ignores);
    // The frame as "{{x, y}, {w, h}}" under the key in the standard user defaults.
    static void saveWindowFrame(const Kit::Window* window, std::string_view key);
    // Applies the saved frame; a text that reads as no width or no height is skipped.
    static void restoreWindowFrame(Kit::Window* window, std::string_view key);

private:
    static void setStyleBit(Kit::Window* window, unsigned bit, bool on);
};

} // namespace QVToolsKit
