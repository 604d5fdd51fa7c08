#pragma once

#include "Platform/SMC/SMCTransport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The fields of the 80-byte parameter record that the devices behind the user client read and fill.
namespace IOKit::SMCRecordFields {

inline constexpr std::size_t keyOffset = 0;
inline constexpr std::size_t dataSizeOffset = 28;
inline constexpr std::size_t dataTypeOffset = 32;
inline constexpr std::size_t attributesOffset = 36;
inline constexpr std::size_t resultOffset = 40;
inline constexpr std::size_t commandOffset = 42;
inline constexpr std::size_t data32Offset = 44;
inline constexpr std::size_t bytesOffset = 48;

inline constexpr std::uint8_t commandReadBytes = 5;
inline constexpr std::uint8_t commandWriteBytes = 6;
inline constexpr std::uint8_t commandKeyAtIndex = 8;
inline constexpr std::uint8_t commandKeyInfo = 9;

inline std::uint32_t loadLE(const SMCRecord& record, std::size_t offset)
{
    return std::uint32_t(record[offset]) | std::uint32_t(record[offset + 1]) << 8
           | std::uint32_t(record[offset + 2]) << 16 | std::uint32_t(record[offset + 3]) << 24;
}

inline void storeLE(SMCRecord& record, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Four-character code, first character in the most significant byte.
inline std::string fourCC(std::uint32_t code)
{
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

inline std::uint32_t fourCC(std::string_view text)
{
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i)
        code = (code << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return code;
}

} // namespace IOKit::SMCRecordFields
