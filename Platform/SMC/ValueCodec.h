#pragma once

#include "Platform/SMC/SMCExport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SMCSim {

using ValueBytes = std::array<std::uint8_t, 32>;

// How the simulated SMC stores numbers and texts in a key's bytes, by data type:
// "ui8 "/"ui16"/"ui32" and "hex_"/"flag" unsigned big-endian; "si8 "/"si16"/"si32" two's complement;
// "spXY" signed 16-bit fixed point with Y fraction bits; "fpXY" unsigned 16-bit fixed point with Y
// fraction bits ("fpe2", "fp2e"); "flt " IEEE-754 single, least significant byte first;
// "{fds" a fan descriptor whose name is in bytes 4..15; "ch8*" plain text.
class AERLO_SMC_EXPORT ValueCodec {
public:
    // The size of a key of this type when the profile gives none.
    static std::optional<std::uint32_t> defaultSize(std::string_view type);
    // `value` in the type, rounded to its resolution and held within its range; nullopt for a text or
    // unknown type or a value that is not finite.
    static std::optional<ValueBytes> encode(std::string_view type, double value);
    // The number the bytes hold for the hardware (sp types signed); nullopt for a text or unknown type.
    static std::optional<double> decode(std::string_view type, const ValueBytes& bytes);
    // A text in the layout of a text type, bytes as given (Latin-1); nullopt for other types or when
    // the text does not fit.
    static std::optional<ValueBytes> encodeText(std::string_view type, std::string_view text);

    // Bytes written as hex digits, two a byte, either case ("3A80"); nullopt for an odd count or a
    // character that is no hex digit.
    static std::optional<std::vector<std::uint8_t>> fromHex(std::string_view digits);
    // The first `count` bytes as upper-case hex digits.
    static std::string toHex(const std::uint8_t* bytes, std::size_t count);
};

} // namespace SMCSim
