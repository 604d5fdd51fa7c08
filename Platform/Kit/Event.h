#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Point.h"

#include <optional>
#include <string>

namespace Kit {

class TrackingArea;
class Window;

// A set of the modifier-flag bits below (Event::shift, …).
using ModifierFlags = unsigned;

// An input event as the platform describes it. Locations are in the window's coordinates (y up).
struct AERLO_KIT_EXPORT Event {
    enum class Type {
        leftMouseDown = 1,
        leftMouseUp = 2,
        rightMouseDown = 3,
        rightMouseUp = 4,
        mouseMoved = 5,
        leftMouseDragged = 6,
        rightMouseDragged = 7,
        mouseEntered = 8,
        mouseExited = 9,
        keyDown = 10,
        keyUp = 11,
        flagsChanged = 12,
        cursorUpdate = 17,
        scrollWheel = 22,
        otherMouseDown = 25,
        otherMouseUp = 26,
        otherMouseDragged = 27,
    };
    // Modifier flags, with the platform's bit values.
    static constexpr unsigned capsLock = 1u << 16;
    static constexpr unsigned shift = 1u << 17;
    static constexpr unsigned control = 1u << 18;
    static constexpr unsigned option = 1u << 19;
    static constexpr unsigned command = 1u << 20;
    static constexpr unsigned numericPad = 1u << 21;
    static constexpr unsigned function = 1u << 23;
    // Scroll phases.
    static constexpr unsigned phaseNone = 0;
    static constexpr unsigned phaseBegan = 1;
    static constexpr unsigned phaseStationary = 2;
    static constexpr unsigned phaseChanged = 4;
    static constexpr unsigned phaseEnded = 8;
    static constexpr unsigned phaseCancelled = 16;
    static constexpr unsigned phaseMayBegin = 32;

    Type type = Type::mouseMoved;
    Point locationInWindow;
    ModifierFlags modifierFlags = 0;
    double timestamp = 0;
    Window* window = nullptr;
    int clickCount = 0;
    int buttonNumber = 0;
    // Scroll wheel.
    double deltaX = 0;
    double deltaY = 0;
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    bool hasPreciseScrollingDeltas = false;
    bool isDirectionInvertedFromDevice = false;
    unsigned phase = phaseNone;
    unsigned momentumPhase = phaseNone;
    // Entered and exited.
    TrackingArea* trackingArea = nullptr;
    // Keys.
    std::string characters;
    // The characters without the modifiers' effect (what Ctrl+, types is ",").
    std::string charactersIgnoringModifiers;
    unsigned short keyCode = 0;

    // The pointer in global screen coordinates (y up from the primary screen's bottom left).
    static Point mouseLocation();

private:
    friend struct ::TestAccess;
    static void setMouseLocationForTesting(std::optional<Point> location);
};

} // namespace Kit
