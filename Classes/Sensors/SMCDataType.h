#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Aerlo {

// The data types the value codec knows, in case order, with their four-character raw values.
enum class SMCDataType {
    ui8, // "ui8 "
    ui16, // "ui16"
    ui32, // "ui32"
    sp1e, // "sp1e"
    sp3c, // "sp3c"
    sp5b, // "sp5b"
    sp5a, // "sp5a"
    sp69, // "sp69"
    sp78, // "sp78"
    sp87, // "sp87"
    sp96, // "sp96"
    spb4, // "spb4"
    spf0, // "spf0"
    flt, // "flt "
    fpe2, // "fpe2"
    fp2e, // "fp2e"
    fds, // "{fds"
};

std::string_view rawValue(SMCDataType type);
// Exact, case-sensitive match of the raw value.
std::optional<SMCDataType> smcDataType(std::string_view rawValue);

// The number the 32 bytes hold for `type`: unsigned big-endian integers; "sp" types as signed
// (two's complement) 16-bit big-endian times 2^-(last hex digit); "flt " little-endian IEEE-754 single; "fpe2" as
// b0·64 + (b1 >> 2). "fp2e" and "{fds" have no number.
std::optional<double> decodeSMCValue(SMCDataType type, const std::array<std::uint8_t, 32>& bytes);

} // namespace Aerlo
