#pragma once

#include "Platform/Kit/CGEvent.h"
#include "Platform/Kit/Event.h"

#include <cstdint>

namespace QVToolsKit {

// Shift, control, option and command: the bits most tests below reduce the flags to.
inline constexpr Kit::ModifierFlags MODIFIER_MASK = Kit::Event::shift | Kit::Event::control | Kit::Event::option
                                                    | Kit::Event::command;

// At least one of the four keys is held.
bool isModifierFlags(Kit::ModifierFlags flags);
// Both reduced sets are equal and not empty.
bool ModifierFlagsEqual(Kit::ModifierFlags a, Kit::ModifierFlags b);
// The reduced set is that one key alone.
bool IsShiftModifierFlags(Kit::ModifierFlags flags);
bool IsControlModifierFlags(Kit::ModifierFlags flags);
bool IsOptionModifierFlags(Kit::ModifierFlags flags);
bool IsCommandModifierFlags(Kit::ModifierFlags flags);
// Every bit of b is set in a (all bits count).
bool ModifierFlagsContain(Kit::ModifierFlags a, Kit::ModifierFlags b);

// Left or right key codes.
bool IsShiftKeyCode(std::uint16_t keyCode);
bool IsControlKeyCode(std::uint16_t keyCode);
bool IsOptionKeyCode(std::uint16_t keyCode);
bool IsCommandKeyCode(std::uint16_t keyCode);

// The four keys of the Quartz flags as modifier flags; every other bit is dropped.
Kit::ModifierFlags NSEventModifierFlagsFromCGEventFlags(Kit::CGEventFlags flags);
// The conversion equals `modifierFlags` in full.
bool CGEventFlagsEqualToModifierFlags(Kit::CGEventFlags flags, Kit::ModifierFlags modifierFlags);
bool CGEventMatchesModifierFlags(const Kit::CGEvent& event, Kit::ModifierFlags modifierFlags);

} // namespace QVToolsKit
