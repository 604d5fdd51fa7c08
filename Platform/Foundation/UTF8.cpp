#include "Platform/Foundation/UTF8.h"

namespace Foundation {

UTF8::Sequence UTF8::next(std::string_view text, std::size_t at)
{
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80)
        return {byte, 1};
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    char32_t value;
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
        value = byte & 0x1F;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        value = byte & 0x0F;
        if (byte == 0xE0)
            low = 0xA0;
        else if (byte == 0xED)
            high = 0x9F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        value = byte & 0x07;
        if (byte == 0xF0)
            low = 0x90;
        else if (byte == 0xF4)
            high = 0x8F;
    } else {
        return {std::nullopt, 1};
    }
    if (at + length > text.size())
        return {std::nullopt, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return {std::nullopt, 1};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

std::string UTF8::fromLatin1(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text.push_back(c);
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

std::optional<std::string> UTF8::toLatin1(std::string_view text)
{
    if (!isValid(text))
        return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            bytes.push_back(text[i]);
        } else if (byte == 0xC2 || byte == 0xC3) { // U+0080 to U+00FF
            bytes.push_back(static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F)));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

bool UTF8::isValid(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const Sequence sequence = next(text, at);
        if (!sequence.codePoint)
            return false;
        at += sequence.length;
    }
    return true;
}

std::string UTF8::encode(char32_t code)
{
    std::string out;
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

} // namespace Foundation
