#include "Classes/Sensors/SMCKeyData.h"

#include <algorithm>

namespace Aerlo {

namespace {

template <typename T>
void put(SMCKeyData::Bytes& out, std::size_t offset, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <typename T>
T get(const SMCKeyData::Bytes& in, std::size_t offset)
{
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = static_cast<T>((value << 8) | in[offset + i]);
    return value;
}

} // namespace

SMCKeyData::Bytes SMCKeyData::serialise() const
{
    Bytes out {};
    put(out, 0, key);
    put(out, 4, version.major);
    put(out, 5, version.minor);
    put(out, 6, version.build);
    put(out, 7, version.reserved);
    put(out, 8, version.release);
    put(out, 12, powerLimits.version);
    put(out, 14, powerLimits.length);
    put(out, 16, powerLimits.cpuLimit);
    put(out, 20, powerLimits.gpuLimit);
    put(out, 24, powerLimits.memoryLimit);
    put(out, 28, dataSize);
    put(out, 32, dataType);
    put(out, 36, dataAttributes);
    put(out, 40, result);
    put(out, 41, status);
    put(out, 42, command);
    put(out, 44, data32);
    std::copy(bytes.begin(), bytes.end(), out.begin() + 48);
    return out;
}

SMCKeyData SMCKeyData::parse(const Bytes& in)
{
    SMCKeyData data;
    data.key = get<std::uint32_t>(in, 0);
    data.version.major = get<std::uint8_t>(in, 4);
    data.version.minor = get<std::uint8_t>(in, 5);
    data.version.build = get<std::uint8_t>(in, 6);
    data.version.reserved = get<std::uint8_t>(in, 7);
    data.version.release = get<std::uint16_t>(in, 8);
    data.powerLimits.version = get<std::uint16_t>(in, 12);
    data.powerLimits.length = get<std::uint16_t>(in, 14);
    data.powerLimits.cpuLimit = get<std::uint32_t>(in, 16);
    data.powerLimits.gpuLimit = get<std::uint32_t>(in, 20);
    data.powerLimits.memoryLimit = get<std::uint32_t>(in, 24);
    data.dataSize = get<std::uint32_t>(in, 28);
    data.dataType = get<std::uint32_t>(in, 32);
    data.dataAttributes = get<std::uint8_t>(in, 36);
    data.result = get<std::uint8_t>(in, 40);
    data.status = get<std::uint8_t>(in, 41);
    data.command = get<std::uint8_t>(in, 42);
    data.data32 = get<std::uint32_t>(in, 44);
    std::copy_n(in.begin() + 48, 32, data.bytes.begin());
    return data;
}

} // namespace Aerlo
