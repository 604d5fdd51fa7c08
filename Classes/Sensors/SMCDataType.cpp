#include "Classes/Sensors/SMCDataType.h"

#include <bit>
#include <cmath>

namespace Aerlo {

namespace {

constexpr std::array<std::string_view, 17> rawValues {
    "ui8 ", "ui16", "ui32", "sp1e", "sp3c", "sp5b", "sp5a", "sp69", "sp78",
    "sp87", "sp96", "spb4", "spf0", "flt ", "fpe2", "fp2e", "{fds",
};

// Fraction bits of the "sp" types, in case order from sp1e.
constexpr std::array<int, 10> spScales {14, 12, 11, 10, 9, 8, 7, 6, 4, 0};

} // namespace

std::string_view rawValue(SMCDataType type) { return rawValues[static_cast<std::size_t>(type)]; }

std::optional<SMCDataType> smcDataType(std::string_view text)
{
    for (std::size_t i = 0; i < rawValues.size(); ++i)
        if (rawValues[i] == text)
            return static_cast<SMCDataType>(i);
    return std::nullopt;
}

std::optional<double> decodeSMCValue(SMCDataType type, const std::array<std::uint8_t, 32>& b)
{
    const double b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3];
    switch (type) {
    case SMCDataType::ui8:
        return b0;
    case SMCDataType::ui16:
        return b0 * 256 + b1;
    case SMCDataType::ui32:
        return b0 * 16777216.0 + b1 * 65536.0 + b2 * 256.0 + b3;
    case SMCDataType::sp1e:
    case SMCDataType::sp3c:
    case SMCDataType::sp5b:
    case SMCDataType::sp5a:
    case SMCDataType::sp69:
    case SMCDataType::sp78:
    case SMCDataType::sp87:
    case SMCDataType::sp96:
    case SMCDataType::spb4:
    case SMCDataType::spf0: {
        const int scale = spScales[static_cast<std::size_t>(type) - static_cast<std::size_t>(SMCDataType::sp1e)];
        const auto raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] << 8 | b[1]));
        return std::ldexp(static_cast<double>(raw), -scale);
    }
    case SMCDataType::flt: {
        const std::uint32_t bits =
            std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
        return static_cast<double>(std::bit_cast<float>(bits));
    }
    case SMCDataType::fpe2:
        return b0 * 64 + static_cast<double>(b[1] >> 2);
    case SMCDataType::fp2e:
    case SMCDataType::fds:
        break;
    }
    return std::nullopt;
}

} // namespace Aerlo
