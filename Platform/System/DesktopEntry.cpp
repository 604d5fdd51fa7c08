#include "Platform/System/DesktopEntry.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/UTF8.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace SystemPlatform {

namespace {

constexpr std::string_view group = "[Desktop Entry]";

bool hasControlCharacter(std::string_view text)
{
    for (const unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Cut around lines, keys and values: spaces, tabs and the carriage return of a CRLF line end.
constexpr std::string_view blanks = " \t\r";

// The string escapes of a value: \s \n \t \r \\; any other escape is refused.
std::optional<std::string> unescaped(std::string_view value)
{
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            result += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's': result += ' '; break;
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        case '\\': result += '\\'; break;
        default: return std::nullopt;
        }
    }
    return result;
}

// An unescaped Exec value split into arguments: double quotes with \" \` \$ \\ inside, "%%" a percent
// sign, other field codes dropped. Nothing for an unclosed quote or a bad escape.
std::optional<std::vector<std::string>> splitExec(std::string_view line)
{
    std::vector<std::string> arguments;
    std::string current;
    bool hasArgument = false; // a character or a pair of quotes (a field code alone is no argument)
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (hasArgument)
                arguments.push_back(std::exchange(current, {}));
            hasArgument = false;
        } else if (c == '"') {
            quoted = !quoted;
            hasArgument = true;
        } else if (c == '%') {
            if (++i == line.size())
                return std::nullopt;
            if (line[i] == '%') {
                current += '%';
                hasArgument = true;
            }
        } else if (quoted && c == '\\') {
            if (++i == line.size())
                return std::nullopt;
            const char next = line[i];
            if (next != '"' && next != '`' && next != '$' && next != '\\')
                return std::nullopt;
            current += next;
        } else {
            current += c;
            hasArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (hasArgument)
        arguments.push_back(current);
    return arguments;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::read(const std::filesystem::path& path)
{
    // Non-blocking: a FIFO or device in the entry's place must not hold the caller up.
    const Foundation::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<std::uintmax_t>(info.st_size) > maximumFileSize)
        return std::nullopt;
    const auto text = Foundation::readAll(fd.get(), maximumFileSize);
    if (!text || text->size() > maximumFileSize)
        return std::nullopt;
    return parse(*text);
}

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text)
{
    if (text.size() > maximumFileSize || !Foundation::UTF8::isValid(text) || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    DesktopEntry entry;
    bool inGroup = false;
    bool seenGroup = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Foundation::trimmed(text.substr(0, end), blanks);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line == group && seenGroup)
                return std::nullopt;
            inGroup = line == group;
            seenGroup = seenGroup || inGroup;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!seenGroup || equals == std::string_view::npos)
            return std::nullopt;
        if (!inGroup)
            continue;
        const std::string key(Foundation::trimmed(line.substr(0, equals), blanks));
        const auto value = unescaped(Foundation::trimmed(line.substr(equals + 1), blanks));
        if (key.empty() || !value || !entry.values_.emplace(key, *value).second)
            return std::nullopt;
    }
    if (!seenGroup)
        return std::nullopt;
    if (const auto exec = entry.value("Exec")) {
        auto arguments = splitExec(*exec);
        if (!arguments)
            return std::nullopt;
        entry.exec_ = std::move(*arguments);
    }
    return entry;
}

std::optional<std::string> DesktopEntry::value(std::string_view key) const
{
    const auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

bool DesktopEntry::isTrue(std::string_view key) const { return value(key) == "true"; }

std::string DesktopEntry::quotedExecArgument(std::string_view argument)
{
    // The quoting's own backslash escapes, then the entry's string escape for backslashes.
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\";
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\";
            break;
        case '%':
            quoted += "%%";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::optional<std::string> DesktopEntry::applicationEntry(std::string_view name, const std::filesystem::path& executable)
{
    const std::string program = executable.string();
    if (hasControlCharacter(name) || hasControlCharacter(program))
        return std::nullopt;
    std::string escapedName;
    for (const char c : name)
        escapedName += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + escapedName + "\n"
           "Exec=" + quotedExecArgument(program) + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

} // namespace SystemPlatform
