#include "Platform/SMC/ValueCodec.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace SMCSim {

namespace {

// A type's digits are lower case ("spb4"); hex text takes either case.
std::optional<int> hexDigit(char c, bool upperCase = false)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (upperCase && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

enum class Kind { unsignedInt, signedInt, signedFixed, unsignedFixed, float32, fanDescriptor, text };

struct Layout {
    Kind kind;
    std::uint32_t width = 0; // bytes the number uses
    int fractionBits = 0;
};

std::optional<Layout> layoutOf(std::string_view type)
{
    if (type.size() != 4)
        return std::nullopt;
    if (type == "ui8 " || type == "hex_" || type == "flag")
        return Layout {Kind::unsignedInt, 1};
    if (type == "ui16")
        return Layout {Kind::unsignedInt, 2};
    if (type == "ui32")
        return Layout {Kind::unsignedInt, 4};
    if (type == "si8 ")
        return Layout {Kind::signedInt, 1};
    if (type == "si16")
        return Layout {Kind::signedInt, 2};
    if (type == "si32")
        return Layout {Kind::signedInt, 4};
    if (type == "flt ")
        return Layout {Kind::float32, 4};
    if (type == "{fds")
        return Layout {Kind::fanDescriptor, 16};
    if (type == "ch8*")
        return Layout {Kind::text, 0};
    const auto whole = hexDigit(type[2]);
    const auto fraction = hexDigit(type[3]);
    if (!whole || !fraction || *whole + *fraction > 16)
        return std::nullopt;
    if (type.starts_with("sp"))
        return Layout {Kind::signedFixed, 2, *fraction};
    if (type.starts_with("fp"))
        return Layout {Kind::unsignedFixed, 2, *fraction};
    return std::nullopt;
}

void putBigEndian(ValueBytes& bytes, std::uint64_t raw, std::uint32_t width)
{
    for (std::uint32_t i = 0; i < width; ++i)
        bytes[i] = static_cast<std::uint8_t>(raw >> (8 * (width - 1 - i)));
}

std::uint64_t bigEndian(const ValueBytes& bytes, std::uint32_t width)
{
    std::uint64_t raw = 0;
    for (std::uint32_t i = 0; i < width; ++i)
        raw = (raw << 8) | bytes[i];
    return raw;
}

double clampRound(double value, double low, double high)
{
    return std::fmin(std::fmax(std::nearbyint(value), low), high);
}

} // namespace

std::optional<std::uint32_t> ValueCodec::defaultSize(std::string_view type)
{
    const auto layout = layoutOf(type);
    if (!layout || layout->kind == Kind::text)
        return std::nullopt;
    return layout->width;
}

std::optional<ValueBytes> ValueCodec::encode(std::string_view type, double value)
{
    const auto layout = layoutOf(type);
    if (!layout || !std::isfinite(value))
        return std::nullopt;
    ValueBytes bytes {};
    const double span = std::ldexp(1.0, static_cast<int>(8 * layout->width));
    switch (layout->kind) {
    case Kind::unsignedInt:
        putBigEndian(bytes, static_cast<std::uint64_t>(clampRound(value, 0, span - 1)), layout->width);
        return bytes;
    case Kind::signedInt: {
        const double raw = clampRound(value, -span / 2, span / 2 - 1);
        putBigEndian(bytes, static_cast<std::uint64_t>(raw < 0 ? raw + span : raw), layout->width);
        return bytes;
    }
    case Kind::signedFixed: {
        // Two's complement, held at the ends of the signed range.
        const double raw = clampRound(std::ldexp(value, layout->fractionBits), -32768, 32767);
        putBigEndian(bytes, static_cast<std::uint64_t>(raw < 0 ? raw + 65536 : raw), 2);
        return bytes;
    }
    case Kind::unsignedFixed:
        putBigEndian(bytes, static_cast<std::uint64_t>(clampRound(std::ldexp(value, layout->fractionBits), 0, 65535)),
                     2);
        return bytes;
    case Kind::float32: {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        return bytes;
    }
    case Kind::fanDescriptor:
    case Kind::text:
        break;
    }
    return std::nullopt;
}

std::optional<double> ValueCodec::decode(std::string_view type, const ValueBytes& bytes)
{
    const auto layout = layoutOf(type);
    if (!layout)
        return std::nullopt;
    switch (layout->kind) {
    case Kind::unsignedInt:
        return static_cast<double>(bigEndian(bytes, layout->width));
    case Kind::signedInt: {
        const double raw = static_cast<double>(bigEndian(bytes, layout->width));
        const double span = std::ldexp(1.0, static_cast<int>(8 * layout->width));
        return raw >= span / 2 ? raw - span : raw;
    }
    case Kind::signedFixed: {
        const auto raw = static_cast<std::int16_t>(bigEndian(bytes, 2));
        return std::ldexp(static_cast<double>(raw), -layout->fractionBits);
    }
    case Kind::unsignedFixed:
        return std::ldexp(static_cast<double>(bigEndian(bytes, 2)), -layout->fractionBits);
    case Kind::float32: {
        std::uint32_t bits = 0;
        for (int i = 3; i >= 0; --i)
            bits = (bits << 8) | bytes[static_cast<std::size_t>(i)];
        return static_cast<double>(std::bit_cast<float>(bits));
    }
    case Kind::fanDescriptor:
    case Kind::text:
        break;
    }
    return std::nullopt;
}

std::optional<ValueBytes> ValueCodec::encodeText(std::string_view type, std::string_view text)
{
    const auto layout = layoutOf(type);
    if (!layout)
        return std::nullopt;
    ValueBytes bytes {};
    if (layout->kind == Kind::fanDescriptor) {
        // Name field of twelve bytes, padded with spaces as the SMC does.
        if (text.size() > 12)
            return std::nullopt;
        std::memset(bytes.data() + 4, ' ', 12);
        std::memcpy(bytes.data() + 4, text.data(), text.size());
        return bytes;
    }
    if (layout->kind == Kind::text) {
        if (text.size() > bytes.size())
            return std::nullopt;
        std::memcpy(bytes.data(), text.data(), text.size());
        return bytes;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ValueCodec::fromHex(std::string_view digits)
{
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const auto high = hexDigit(digits[i], true);
        const auto low = hexDigit(digits[i + 1], true);
        if (!high || !low)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
    }
    return bytes;
}

std::string ValueCodec::toHex(const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0xF]);
    }
    return text;
}

} // namespace SMCSim
