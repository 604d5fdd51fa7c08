#include "Classes/Configure/Global/QVMemorySizeFormatter.h"

#include "Classes/Configure/Global/NumberText.h"

#include <cmath>

namespace Aerlo {

std::string QVMemorySizeFormatter::format(std::uint64_t bytes, double unit)
{
    // b⁴ stays within 64 bits and every power is a whole number.
    const std::uint64_t b = std::isfinite(unit) && unit >= 1 && unit <= 65535 ? static_cast<std::uint64_t>(unit) : 1024;
    const std::uint64_t b2 = b * b;
    const std::uint64_t b3 = b2 * b;
    const std::uint64_t b4 = b3 * b;
    const double n = static_cast<double>(bytes);
    if (bytes < b)
        return "0 KB";
    if (bytes < b2)
        return NumberText::fixed(n / static_cast<double>(b), 0) + " KB";
    if (bytes < b3)
        return NumberText::fixed(n / static_cast<double>(b2), 0) + " MB";
    if (bytes < b4)
        return NumberText::fixed(n / static_cast<double>(b3), 1) + " GB";
    return NumberText::fixed(n / static_cast<double>(b4), 1) + " TB";
}

} // namespace Aerlo
