#include "Classes/Configure/SystemKit/MemorySize.h"

#include "Classes/Configure/Global/NumberText.h"

namespace Aerlo {

std::string MemorySize::formatted() const
{
    constexpr std::uint64_t kilo = std::uint64_t(1) << 10;
    constexpr std::uint64_t mega = std::uint64_t(1) << 20;
    constexpr std::uint64_t giga = std::uint64_t(1) << 30;
    constexpr std::uint64_t tera = std::uint64_t(1) << 40;
    const double v = static_cast<double>(value);
    if (value < kilo)
        return "0 KB";
    if (value < mega)
        return NumberText::fixed(v / kilo, 0) + " KB";
    if (value < giga)
        return NumberText::fixed(v / mega, 0) + " MB";
    if (value < tera)
        return NumberText::fixed(v / giga, 1) + " GB";
    return NumberText::fixed(v / tera, 1) + " TB";
}

} // namespace Aerlo
