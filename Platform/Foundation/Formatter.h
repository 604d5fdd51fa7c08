#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/Result.h"

#include <string>
#include <string_view>

namespace Foundation {

// Turns values into text and text back into values, for a text field. A text the formatter refuses leaves
// the field at its last good value.
class AERLO_FOUNDATION_EXPORT Formatter {
public:
    virtual ~Formatter() = default;

    virtual std::string string(double value) const = 0;
    // The value of a finished text, or why the text is refused.
    virtual Result<double> value(std::string_view text) const = 0;
    // Whether a text being typed may stand; a refused keystroke is undone.
    virtual bool isPartialStringValid(std::string_view text) const
    {
        (void)text;
        return true;
    }
};

} // namespace Foundation
