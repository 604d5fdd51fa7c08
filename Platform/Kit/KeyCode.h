#pragma once

namespace Kit {

// Virtual key codes of the keys Kit handles itself, with the platform's values.
namespace KeyCode {
inline constexpr unsigned short returnKey = 36;
inline constexpr unsigned short tab = 48;
inline constexpr unsigned short space = 49;
inline constexpr unsigned short escape = 53;
inline constexpr unsigned short keypadEnter = 76;
inline constexpr unsigned short leftArrow = 123;
inline constexpr unsigned short rightArrow = 124;
inline constexpr unsigned short downArrow = 125;
inline constexpr unsigned short upArrow = 126;

// The keys that press the focused button: Space, Return and Enter.
inline constexpr bool activates(unsigned short code)
{
    return code == space || code == returnKey || code == keypadEnter;
}
} // namespace KeyCode

// The characters of those keys in key events (function keys are private-use characters, in UTF-8).
namespace KeyCharacters {
inline constexpr const char* returnKey = "\r";
inline constexpr const char* enter = "\x03";
inline constexpr const char* tab = "\t";
inline constexpr const char* backTab = "\x19";
inline constexpr const char* escape = "\x1b";
inline constexpr const char* space = " ";
inline constexpr const char* upArrow = "\xef\x9c\x80";
inline constexpr const char* downArrow = "\xef\x9c\x81";
inline constexpr const char* leftArrow = "\xef\x9c\x82";
inline constexpr const char* rightArrow = "\xef\x9c\x83";
} // namespace KeyCharacters

} // namespace Kit
