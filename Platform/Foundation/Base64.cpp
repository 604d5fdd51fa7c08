#include "Platform/Foundation/Base64.h"

namespace Foundation {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digit(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string Base64::encode(const Data& bytes)
{
    return encode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string Base64::encode(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])); };
    std::string encoded;
    encoded.reserve((text.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < text.size(); i += 3) {
        const std::uint32_t n = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
        encoded += alphabet[(n >> 18) & 63];
        encoded += alphabet[(n >> 12) & 63];
        encoded += alphabet[(n >> 6) & 63];
        encoded += alphabet[n & 63];
    }
    if (const size_t rest = text.size() - i; rest > 0) {
        const std::uint32_t n = (byte(i) << 16) | (rest == 2 ? byte(i + 1) << 8 : 0);
        encoded += alphabet[(n >> 18) & 63];
        encoded += alphabet[(n >> 12) & 63];
        encoded += rest == 2 ? alphabet[(n >> 6) & 63] : '=';
        encoded += '=';
    }
    return encoded;
}

std::optional<Base64::Data> Base64::decode(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
    Data bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        std::uint32_t n = 0;
        for (size_t j = 0; j < 4; ++j) {
            const bool pad = last && j >= 4 - padding;
            const int value = pad ? 0 : digit(text[i + j]);
            if (value < 0)
                return std::nullopt;
            n = (n << 6) | static_cast<std::uint32_t>(value);
        }
        const size_t count = last ? 3 - padding : 3;
        for (size_t j = 0; j < count; ++j)
            bytes.push_back(static_cast<std::uint8_t>(n >> (16 - 8 * j)));
    }
    return bytes;
}

} // namespace Foundation
