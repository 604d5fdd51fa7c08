#include "QVToolsKit/UI/ModifierFlags.h"

namespace QVToolsKit {

namespace {

Kit::ModifierFlags reduced(Kit::ModifierFlags flags) { return flags & MODIFIER_MASK; }

} // namespace

bool isModifierFlags(Kit::ModifierFlags flags) { return reduced(flags) != 0; }

bool ModifierFlagsEqual(Kit::ModifierFlags a, Kit::ModifierFlags b)
{
    return reduced(a) != 0 && reduced(a) == reduced(b);
}

bool IsShiftModifierFlags(Kit::ModifierFlags flags) { return reduced(flags) == Kit::Event::shift; }
bool IsControlModifierFlags(Kit::ModifierFlags flags) { return reduced(flags) == Kit::Event::control; }
bool IsOptionModifierFlags(Kit::ModifierFlags flags) { return reduced(flags) == Kit::Event::option; }
bool IsCommandModifierFlags(Kit::ModifierFlags flags) { return reduced(flags) == Kit::Event::command; }

bool ModifierFlagsContain(Kit::ModifierFlags a, Kit::ModifierFlags b) { return (a & b) == b; }

bool IsShiftKeyCode(std::uint16_t keyCode) { return keyCode == 56 || keyCode == 60; }
bool IsControlKeyCode(std::uint16_t keyCode) { return keyCode == 59 || keyCode == 62; }
bool IsOptionKeyCode(std::uint16_t keyCode) { return keyCode == 58 || keyCode == 61; }
bool IsCommandKeyCode(std::uint16_t keyCode) { return keyCode == 54 || keyCode == 55; }

Kit::ModifierFlags NSEventModifierFlagsFromCGEventFlags(Kit::CGEventFlags flags)
{
    using Kit::CGEventFlag;
    Kit::ModifierFlags result = 0;
    if (flags & CGEventFlag::maskShift)
        result |= Kit::Event::shift;
    if (flags & CGEventFlag::maskControl)
        result |= Kit::Event::control;
    if (flags & CGEventFlag::maskAlternate)
        result |= Kit::Event::option;
    if (flags & CGEventFlag::maskCommand)
        result |= Kit::Event::command;
    return result;
}

bool CGEventFlagsEqualToModifierFlags(Kit::CGEventFlags flags, Kit::ModifierFlags modifierFlags)
{
    return NSEventModifierFlagsFromCGEventFlags(flags) == modifierFlags;
}

bool CGEventMatchesModifierFlags(const Kit::CGEvent& event, Kit::ModifierFlags modifierFlags)
{
    return CGEventFlagsEqualToModifierFlags(event.flags(), modifierFlags);
}

} // namespace QVToolsKit
