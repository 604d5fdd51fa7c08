#include "Platform/Vendors/SUAppcast.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/StrictJson.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace Vendors {

namespace {

using Foundation::Error;
using Json = nlohmann::json;

// A text field: absent gives nothing; present and not text refuses the feed (false).
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

// The dot-separated numbers of a build number: each piece reads as its leading digits (0 when it has
// none), a number beyond 64 bits as the largest one (and sets `beyond`).
std::vector<std::uint64_t> numbers(std::string_view version, bool& beyond)
{
    std::vector<std::uint64_t> result;
    while (!version.empty()) {
        const std::size_t dot = version.find('.');
        const std::string_view piece = version.substr(0, dot);
        std::uint64_t number = 0;
        if (std::from_chars(piece.data(), piece.data() + piece.size(), number).ec == std::errc::result_out_of_range) {
            number = std::numeric_limits<std::uint64_t>::max();
            beyond = true;
        }
        result.push_back(number);
        version.remove_prefix(dot == std::string_view::npos ? version.size() : dot + 1);
    }
    return result;
}

Error itemError(std::size_t index, const std::string& problem)
{
    return Error("item " + std::to_string(index + 1) + ": " + problem);
}

} // namespace

Foundation::Result<SUAppcast> SUAppcast::parse(std::string_view json)
{
    // The parser would take a NUL byte for the end of the text.
    if (json.find('\0') != std::string_view::npos)
        return Error("it holds a NUL byte");
    bool duplicate = false;
    const Json document = Foundation::parseRefusingDuplicateKeys<Json>(json, duplicate);
    if (duplicate)
        return Error("it names a key twice in one object");
    if (document.is_discarded())
        return Error("it is not JSON");
    if (!document.is_object())
        return Error("it is not a JSON object");
    SUAppcast appcast;
    const auto items = document.find("items");
    if (items == document.end())
        return appcast;
    if (!items->is_array())
        return Error("its \"items\" is not an array");
    for (std::size_t index = 0; index < items->size(); ++index) {
        const Json& entry = (*items)[index];
        if (!entry.is_object())
            return itemError(index, "not an object");
        std::optional<std::string> version, display;
        SUAppcastItem item;
        const std::pair<const char*, std::optional<std::string>*> fields[] = {
            {"title", &item.title},
            {"versionString", &version},
            {"displayVersionString", &display},
            {"fileURL", &item.fileURL},
            {"itemDescription", &item.itemDescription}};
        for (const auto& [key, value] : fields)
            if (!textField(entry, key, *value))
                return itemError(index, "\"" + std::string(key) + "\" is not text");
        if (!version)
            continue;
        bool beyond = false;
        (void)numbers(*version, beyond);
        if (beyond)
            return itemError(index, "the build number \"" + *version + "\" has a number beyond 64 bits");
        item.versionString = *version;
        item.displayVersionString = display.value_or(*version);
        appcast.items.push_back(std::move(item));
    }
    return appcast;
}

Foundation::Result<SUAppcast> SUAppcast::read(const std::filesystem::path& path)
{
    // Not blocking on a pipe's open; the type is checked on what was opened.
    const Foundation::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        if (errno == ENOENT)
            return Error("there is no file at " + path.string());
        return Error(path.string() + " cannot be opened: " + Foundation::errnoText(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Error(path.string() + " cannot be read: " + Foundation::errnoText(errno));
    if (!S_ISREG(info.st_mode))
        return Error(path.string() + " is not a regular file");
    const Error tooLarge(path.string() + " is larger than " + std::to_string(maximumFileSize / (1024 * 1024)) + " MiB");
    if (static_cast<std::uintmax_t>(info.st_size) > maximumFileSize)
        return tooLarge;
    auto text = Foundation::readAll(fd.get(), maximumFileSize);
    if (!text)
        return Error(path.string() + " cannot be read: " + text.error());
    if (text->size() > maximumFileSize) // grew while being read
        return tooLarge;
    return parse(*text);
}

bool SUAppcast::versionOrdersBefore(std::string_view a, std::string_view b)
{
    bool beyond = false;
    std::vector<std::uint64_t> left = numbers(a, beyond), right = numbers(b, beyond);
    left.resize(std::max(left.size(), right.size()));
    right.resize(left.size());
    return left < right;
}

} // namespace Vendors
