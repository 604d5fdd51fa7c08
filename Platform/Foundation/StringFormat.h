#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Foundation {

// A printf-style formatter that reads only the arguments it is given. Directives:
//   %@  an argument's text (a number as its shortest decimal text; an object passes its description)
//   %d %i   a signed integer            %u   an unsigned integer       %x %X %o   hexadecimal, octal
//   %f %F   fixed point (6 digits)      %e %E   exponent form          %g %G   the shorter of the two
//   %s  a text                          %c   a character (a number is its code point)
//   %%  a percent sign                  %1$@ …   any directive taking argument 1, 2, …
// Flags "-", "+", " ", "0" and "#", a width and a precision (digits or "*", which takes the next
// argument) and the length modifiers h, hh, l, ll, j, z, t and L are understood; widths and text
// precisions count characters. Numbers convert between the integer and floating forms (truncated toward
// zero, held at the integer's limits); a text given to a number directive is written as it is. A
// directive whose argument is missing writes nothing; an unknown or unfinished directive is written as it
// stands. Decimal points are always ".", whatever the process locale.
class AERLO_FOUNDATION_EXPORT StringFormat {
public:
    using Argument = std::variant<std::string, std::int64_t, std::uint64_t, double>;

    static std::string format(std::string_view format, std::span<const Argument> arguments);
    static std::string format(std::string_view format, std::initializer_list<Argument> arguments)
    {
        return StringFormat::format(format, std::span<const Argument>(arguments.begin(), arguments.size()));
    }
    // Every argument a text: the `%@` fill of localised formats.
    static std::string format(std::string_view format, const std::vector<std::string>& arguments);
    // Only "%@", "%1$@" … and "%%" are filled; every other "%" is written as it stands. For texts that
    // reach us as formats from outside the code (localisation tables).
    static std::string formatObjects(std::string_view format, const std::vector<std::string>& arguments);

    // The largest precision honoured; larger ones are cut to it.
    static constexpr int maxPrecision = 40;
    // The largest width honoured; larger ones are cut to it.
    static constexpr int maxWidth = 1024;
};

} // namespace Foundation
