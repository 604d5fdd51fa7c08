#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/CGEvent.h"
#include "Platform/Kit/Event.h"

#include <cstdint>

namespace QVToolsKit {

// Shift, control, option and command: the bits most tests below reduce the flags to.
inline constexpr Kit::ModifierFlags MODIFIER_MASK = Kit::Event::shift | Kit::Event::control | Kit::Event::option
                                                    | Kit::Event::command;

// At least one of the four keys is held.
QVTOOLSKITUI_EXPORT bool isModifierFlags(Kit::ModifierFlags flags);
// Both reduced sets are equal and not empty.
QVTOOLSKITUI_EXPORT bool ModifierFlagsEqual(Kit::ModifierFlags a, Kit::ModifierFlags b);
// The reduced set is that one key alone.
QVTOOLSKITUI_EXPORT bool IsShiftModifierFlags(Kit::ModifierFlags flags);
QVTOOLSKITUI_EXPORT bool IsControlModifierFlags(Kit::ModifierFlags flags);
QVTOOLSKITUI_EXPORT bool IsOptionModifierFlags(Kit::ModifierFlags flags);
QVTOOLSKITUI_EXPORT bool IsCommandModifierFlags(Kit::ModifierFlags flags);
// Every bit of b is set in a (all bits count).
QVTOOLSKITUI_EXPORT bool ModifierFlagsContain(Kit::ModifierFlags a, Kit::ModifierFlags b);

// Left or right key codes.
QVTOOLSKITUI_EXPORT bool IsShiftKeyCode(std::uint16_t keyCode);
QVTOOLSKITUI_EXPORT bool IsControlKeyCode(std::uint16_t keyCode);
QVTOOLSKITUI_EXPORT bool IsOptionKeyCode(std::uint16_t keyCode);
QVTOOLSKITUI_EXPORT bool IsCommandKeyCode(std::uint16_t keyCode);

// The four keys of the Quartz flags as modifier flags; every other bit is dropped.
QVTOOLSKITUI_EXPORT Kit::ModifierFlags NSEventModifierFlagsFromCGEventFlags(Kit::CGEventFlags flags);
// The conversion equals `modifierFlags` in full.
QVTOOLSKITUI_EXPORT bool CGEventFlagsEqualToModifierFlags(Kit::CGEventFlags flags, Kit::ModifierFlags modifierFlags);
QVTOOLSKITUI_EXPORT bool CGEventMatchesModifierFlags(const Kit::CGEvent& event, Kit::ModifierFlags modifierFlags);

} // namespace QVToolsKit
