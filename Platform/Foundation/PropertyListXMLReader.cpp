#include "Platform/Foundation/PropertyListXMLReader.h"

#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/UTF8.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

namespace Foundation {

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<PropertyListValue> document()
    {
        skipMisc();
        if (!accept("<plist"))
            return std::nullopt;
        if (!skipPast(">"))
            return std::nullopt;
        auto value = this->value(0);
        skipMisc();
        if (!value || !accept("</plist>"))
            return std::nullopt;
        skipMisc();
        if (pos_ != text_.size())
            return std::nullopt;
        return value;
    }

private:
    void skipSpace()
    {
        while (pos_ < text_.size()
               && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    // White space, the XML declaration, the document type and comments.
    void skipMisc()
    {
        for (;;) {
            skipSpace();
            if (accept("<?")          ? skipPast("?>")
                : accept("<!--")      ? skipPast("-->")
                : accept("<!DOCTYPE") ? skipPast(">")
                                      : false)
                continue;
            return;
        }
    }
    bool accept(std::string_view token)
    {
        if (text_.substr(pos_).starts_with(token)) {
            pos_ += token.size();
            return true;
        }
        return false;
    }
    bool skipPast(std::string_view token)
    {
        const auto at = text_.find(token, pos_);
        if (at == std::string_view::npos) {
            pos_ = text_.size();
            return false;
        }
        pos_ = at + token.size();
        return true;
    }
    // The element's name at "<", with "/>" noted; none at anything else.
    std::optional<std::string> openTag(bool& empty)
    {
        skipMisc();
        if (!accept("<") || accept("/"))
            return std::nullopt;
        const auto end = text_.find_first_of(" \t\r\n/>", pos_);
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string name(text_.substr(pos_, end - pos_));
        pos_ = end;
        const auto close = text_.find('>', pos_);
        if (close == std::string_view::npos)
            return std::nullopt;
        empty = close > 0 && text_[close - 1] == '/';
        pos_ = close + 1;
        return name;
    }
    // Character data up to the closing tag, entities decoded.
    std::optional<std::string> textUntilClose(std::string_view name)
    {
        const std::string close = "</" + std::string(name) + ">";
        const auto end = text_.find(close, pos_);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view raw = text_.substr(pos_, end - pos_);
        pos_ = end + close.size();
        if (raw.find('<') != std::string_view::npos)
            return std::nullopt;
        return decode(raw);
    }
    static std::optional<std::string> decode(std::string_view raw)
    {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const auto semicolon = raw.find(';', i);
            if (semicolon == std::string_view::npos)
                return std::nullopt;
            const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
            i = semicolon;
            if (entity == "lt")
                out += '<';
            else if (entity == "gt")
                out += '>';
            else if (entity == "amp")
                out += '&';
            else if (entity == "quot")
                out += '"';
            else if (entity == "apos")
                out += '\'';
            else if (entity.starts_with('#')) {
                std::uint32_t code = 0;
                const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
                const std::string_view digits = entity.substr(hex ? 2 : 1);
                const auto [end, error] =
                    std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
                if (error != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10FFFF
                    || (code >= 0xD800 && code <= 0xDFFF))
                    return std::nullopt;
                out += UTF8::encode(static_cast<char32_t>(code));
            } else
                return std::nullopt;
        }
        return out;
    }
    bool closes(std::string_view name)
    {
        skipMisc();
        return accept("</" + std::string(name) + ">");
    }
    bool atClose()
    {
        skipMisc();
        return text_.substr(pos_).starts_with("</");
    }

    std::optional<PropertyListValue> value(int depth)
    {
        if (depth > PropertyListXMLReader::maximumDepth)
            return std::nullopt;
        bool empty = false;
        const auto name = openTag(empty);
        if (!name)
            return std::nullopt;
        if (*name == "true" || *name == "false") {
            if (!empty && !closes(*name))
                return std::nullopt;
            return PropertyListValue(*name == "true");
        }
        if (*name == "dict" || *name == "array")
            return empty ? container(*name == "dict") : collection(*name, depth);
        const auto text = empty ? std::optional<std::string>("") : textUntilClose(*name);
        if (!text)
            return std::nullopt;
        if (*name == "string")
            return PropertyListValue(*text);
        if (*name == "integer") {
            std::int64_t number = 0;
            const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
            if (text->empty() || error != std::errc() || end != text->data() + text->size())
                return std::nullopt;
            return PropertyListValue(number);
        }
        if (*name == "real") {
            double number = 0;
            const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
            if (text->empty() || error != std::errc() || end != text->data() + text->size())
                return std::nullopt;
            return PropertyListValue(number);
        }
        if (*name == "data") {
            std::string compact;
            for (char c : *text)
                if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                    compact += c;
            auto bytes = Base64::decode(compact);
            if (!bytes)
                return std::nullopt;
            return PropertyListValue(PropertyListValue::Data(bytes->begin(), bytes->end()));
        }
        if (*name == "date") {
            const auto date = utcDate(*text);
            if (!date)
                return std::nullopt;
            return PropertyListValue(PropertyListValue::Date {*date});
        }
        return std::nullopt;
    }
    // "YYYY-MM-DDTHH:MM:SSZ" as seconds since 1970.
    static std::optional<double> utcDate(const std::string& text)
    {
        std::tm parts {};
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        char tail = 0;
        if (text.size() != 20
            || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
                           &tail)
                   != 7
            || tail != 'Z' || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
            return std::nullopt;
        parts.tm_year = year - 1900;
        parts.tm_mon = month - 1;
        parts.tm_mday = day;
        parts.tm_hour = hour;
        parts.tm_min = minute;
        parts.tm_sec = second;
        return static_cast<double>(timegm(&parts));
    }
    static PropertyListValue container(bool dictionary)
    {
        return dictionary ? PropertyListValue(PropertyListValue::Dictionary {})
                          : PropertyListValue(PropertyListValue::Array {});
    }
    std::optional<PropertyListValue> collection(const std::string& name, int depth)
    {
        if (name == "array") {
            PropertyListValue::Array items;
            while (!atClose()) {
                auto item = value(depth + 1);
                if (!item)
                    return std::nullopt;
                items.push_back(std::move(*item));
            }
            if (!closes(name))
                return std::nullopt;
            return PropertyListValue(std::move(items));
        }
        PropertyListValue::Dictionary entries;
        while (!atClose()) {
            bool empty = false;
            const auto tag = openTag(empty);
            if (!tag || *tag != "key")
                return std::nullopt;
            auto key = empty ? std::optional<std::string>("") : textUntilClose("key");
            if (!key)
                return std::nullopt;
            auto item = value(depth + 1);
            if (!item || !entries.emplace(std::move(*key), std::move(*item)).second)
                return std::nullopt;
        }
        if (!closes(name))
            return std::nullopt;
        return PropertyListValue(std::move(entries));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::optional<PropertyListValue> PropertyListXMLReader::read(std::string_view text)
{
    if (text.size() > maximumBytes || text.starts_with("bplist"))
        return std::nullopt;
    return Parser(text).document();
}

std::optional<PropertyListValue> PropertyListXMLReader::readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    text.resize(maximumBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return read(text);
}

} // namespace Foundation
