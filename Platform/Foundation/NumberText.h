#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <charconv>
#include <concepts>
#include <string>

namespace Foundation {

// Number texts that never depend on the process locale: the decimal mark is always ".".
class AERLO_FOUNDATION_EXPORT NumberText {
public:
    // printf's "%.<digits>f" under the C locale (exact binary value, ties to even).
    static std::string fixed(double value, int digits);

    // The en_US decimal style: "," between thousands, at most `maxFractionDigits` and at least
    // `minFractionDigits` fraction digits. The shortest text that reads back as the value is
    // rounded half to even, so 44.5 gives "44" and 45.5 gives "46". A result of zero has no sign.
    // Non-finite values give "NaN", "∞" or "-∞".
    static std::string decimal(double value, int minFractionDigits, int maxFractionDigits);

    // A whole number's digits, with "-" when negative and no grouping: "-1234".
    template <std::integral Number>
        requires(!std::same_as<Number, bool>)
    static std::string decimal(Number value)
    {
        char text[24];
        return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
    }

    // The shortest text that reads back as the value, with ".0" after a whole number ("512.0", "0.25",
    // "1e+16"), as a value describes itself in diagnostics.
    static std::string shortest(double value);
};

} // namespace Foundation
