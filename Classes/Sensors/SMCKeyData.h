#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Aerlo {

// The command byte of the parameter record.
enum class SMCCommand : std::uint8_t {
    readBytes = 5,
    writeBytes = 6,
    readIndex = 8,
    readKeyInfo = 9,
};

// The SMC parameter record shared with the kernel: 80 bytes, little-endian integers, the same layout
// in and out. Serialised field by field, so padding and byte order never depend on the compiler.
struct SMCKeyData {
    static constexpr std::size_t size = 80;
    using Bytes = std::array<std::uint8_t, size>;

    struct Version {
        std::uint8_t major = 0;
        std::uint8_t minor = 0;
        std::uint8_t build = 0;
        std::uint8_t reserved = 0;
        std::uint16_t release = 0;
    };
    struct PowerLimits {
        std::uint16_t version = 0;
        std::uint16_t length = 0;
        std::uint32_t cpuLimit = 0;
        std::uint32_t gpuLimit = 0;
        std::uint32_t memoryLimit = 0;
    };

    std::uint32_t key = 0; // offset 0
    Version version; // 4..9, padding 10..11
    PowerLimits powerLimits; // 12..27
    std::uint32_t dataSize = 0; // 28
    std::uint32_t dataType = 0; // 32
    std::uint8_t dataAttributes = 0; // 36, padding 37..39
    std::uint8_t result = 0; // 40
    std::uint8_t status = 0; // 41
    std::uint8_t command = 0; // 42, padding 43
    std::uint32_t data32 = 0; // 44
    std::array<std::uint8_t, 32> bytes {}; // 48..79

    Bytes serialise() const;
    static SMCKeyData parse(const Bytes& bytes);
};

} // namespace Aerlo
