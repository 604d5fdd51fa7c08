#include "Platform/Foundation/URL.h"

#include "Platform/Foundation/UTF8.h"

#include <cctype>
#include <string_view>

namespace Foundation {

namespace {

bool isAsciiAlphaNumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool isUnreserved(char c) { return isAsciiAlphaNumeric(c) || c == '-' || c == '.' || c == '_' || c == '~'; }

bool isSubDelimiter(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }

bool isGeneralDelimiter(char c) { return std::string_view(":/?#[]@").find(c) != std::string_view::npos; }

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool isQueryAllowed(char c)
{
    return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@' || c == '/' || c == '?';
}

} // namespace

bool URL::isValid(std::string_view text)
{
    if (text.empty())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
                return false;
            i += 2;
        } else if (!isUnreserved(c) && !isSubDelimiter(c) && !isGeneralDelimiter(c)) {
            return false;
        }
    }
    return true;
}

std::optional<URL> URL::string(std::string_view text)
{
    if (!isValid(text))
        return std::nullopt;
    return URL(std::string(text));
}

std::optional<std::string> URL::percentEncodedForQuery(std::string_view text)
{
    if (!UTF8::isValid(text))
        return std::nullopt;
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        if (isQueryAllowed(c)) {
            encoded += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string URL::scheme() const
{
    const size_t colon = text_.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text_[0])))
        return {};
    std::string scheme;
    for (size_t i = 0; i < colon; ++i) {
        const char c = text_[i];
        if (!isAsciiAlphaNumeric(c) && c != '+' && c != '-' && c != '.')
            return {};
        scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return scheme;
}

} // namespace Foundation
