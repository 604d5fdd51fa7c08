#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string>

namespace QVToolsKit {

// Decimal texts, whatever the process locale.
QVTOOLSKIT_EXPORT std::string stringFromInt(std::int64_t value);
QVTOOLSKIT_EXPORT std::string stringFromInteger(std::int64_t value);
QVTOOLSKIT_EXPORT std::string stringFromUInt(std::uint64_t value);
QVTOOLSKIT_EXPORT std::string stringFromUInteger(std::uint64_t value);
// The shortest text that reads back as the same float: plain with at least one digit on each side of
// the point ("2.0", "0.0001", "16777216.0"), in exponent form below 1e-4 or above 2^24 ("1e-05",
// "1e+08"); "inf", "-inf", "nan".
QVTOOLSKIT_EXPORT std::string stringFromFloat(float value);
// The float widened to double, with two decimals ("%.2f": 2.675f gives "2.67").
QVTOOLSKIT_EXPORT std::string stringFromFloatPrice(float value);

} // namespace QVToolsKit
