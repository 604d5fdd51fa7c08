#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// An XDG desktop entry's [Desktop Entry] group: its keys with their values unescaped, and the Exec=
// line split into the program and its arguments. Reading refuses what a sound entry never holds, and
// never blocks: the file must be a regular one of at most maximumFileSize bytes, valid UTF-8 without
// NUL, with each key once and none before the group.
class AERLO_SYSTEM_EXPORT DesktopEntry {
public:
    static constexpr std::size_t maximumFileSize = 64 * 1024;

    // Nothing when the file cannot be read or is not a sound entry.
    static std::optional<DesktopEntry> read(const std::filesystem::path& path);
    static std::optional<DesktopEntry> parse(std::string_view text);

    // The text of an application entry named `name` that starts `executable`; nothing when either holds
    // a line break or other control character, which an entry cannot carry.
    static std::optional<std::string> applicationEntry(std::string_view name, const std::filesystem::path& executable);
    // One argument of an Exec= line as the entry's text holds it: quoted, escaped, "%" doubled.
    static std::string quotedExecArgument(std::string_view argument);

    // The value of `key` in the group; nothing when absent.
    std::optional<std::string> value(std::string_view key) const;
    // Whether `key` holds "true" (a Boolean key).
    bool isTrue(std::string_view key) const;
    // The Exec= line's program and arguments, field codes dropped; empty without one.
    const std::vector<std::string>& execArguments() const { return exec_; }

private:
    std::map<std::string, std::string, std::less<>> values_;
    std::vector<std::string> exec_;
};

} // namespace SystemPlatform
