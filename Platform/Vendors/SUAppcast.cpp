#include "Platform/Vendors/SUAppcast.h"

#include "Platform/Foundation/StrictJson.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace Vendors {

namespace {

using Json = nlohmann::json;

// A text field: absent gives nothing; present and not text refuses the item (false).
bool textField(const Json& object, const char* key, std::optional<std::string>& value)
{
    const auto found = object.find(key);
    if (found == object.end())
        return true;
    if (!found->is_string())
        return false;
    value = found->get<std::string>();
    return true;
}

std::vector<std::uint64_t> numbers(std::string_view version)
{
    std::vector<std::uint64_t> result;
    while (!version.empty()) {
        const std::size_t dot = version.find('.');
        const std::string_view piece = version.substr(0, dot);
        std::uint64_t number = 0;
        std::from_chars(piece.data(), piece.data() + piece.size(), number);
        result.push_back(number);
        version.remove_prefix(dot == std::string_view::npos ? version.size() : dot + 1);
    }
    return result;
}

} // namespace

std::optional<SUAppcast> SUAppcast::parse(std::string_view json)
{
    bool duplicate = false;
    const Json document = Foundation::parseRefusingDuplicateKeys<Json>(json, duplicate);
    if (duplicate || document.is_discarded() || !document.is_object())
        return std::nullopt;
    SUAppcast appcast;
    const auto items = document.find("items");
    if (items == document.end())
        return appcast;
    if (!items->is_array())
        return std::nullopt;
    for (const Json& entry : *items) {
        if (!entry.is_object())
            return std::nullopt;
        std::optional<std::string> version, display;
        SUAppcastItem item;
        if (!textField(entry, "title", item.title) || !textField(entry, "versionString", version)
            || !textField(entry, "displayVersionString", display) || !textField(entry, "fileURL", item.fileURL)
            || !textField(entry, "itemDescription", item.itemDescription))
            return std::nullopt;
        if (!version)
            continue;
        item.versionString = *version;
        item.displayVersionString = display.value_or(*version);
        appcast.items.push_back(std::move(item));
    }
    return appcast;
}

std::optional<SUAppcast> SUAppcast::read(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) > maximumFileSize)
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof())
        return std::nullopt;
    return parse(text);
}

bool SUAppcast::versionOrdersBefore(std::string_view a, std::string_view b)
{
    std::vector<std::uint64_t> left = numbers(a), right = numbers(b);
    left.resize(std::max(left.size(), right.size()));
    right.resize(left.size());
    return left < right;
}

} // namespace Vendors
