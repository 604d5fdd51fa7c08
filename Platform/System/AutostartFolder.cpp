#include "Platform/System/AutostartFolder.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/System/DesktopEntry.h"
#include "Platform/System/SessionLoginItems.h"

#include <set>

namespace SystemPlatform {

namespace fs = std::filesystem;

namespace {

void reportOnce(const fs::path& entry)
{
    static std::set<fs::path> reported;
    if (reported.insert(entry).second)
        Foundation::Console::print("The autostart entry \"" + entry.string()
                                   + "\" cannot be read (damaged, or not a regular file); it is left as it is.");
}

} // namespace

fs::path AutostartFolder::path() { return Foundation::Paths::configHome() / "autostart"; }

std::vector<fs::path> AutostartFolder::names(std::string_view stem)
{
    std::vector<fs::path> names;
    if (stem.empty() || stem.find('/') != std::string_view::npos || stem == "." || stem == "..")
        return names;
    const fs::path folder = path();
    for (int suffix = 1; suffix <= maximumNameSuffix; ++suffix)
        names.push_back(folder / (std::string(stem) + (suffix == 1 ? "" : "-" + std::to_string(suffix)) + ".desktop"));
    return names;
}

AutostartFolder::Occupant AutostartFolder::occupant(const fs::path& entry, const fs::path& executable)
{
    std::error_code error;
    if (fs::symlink_status(entry, error).type() == fs::file_type::not_found)
        return Occupant::none;
    const auto read = DesktopEntry::read(entry);
    if (!read) {
        reportOnce(entry);
        return Occupant::unreadable;
    }
    const auto& arguments = read->execArguments();
    if (read->value("Type") == "Application" && !arguments.empty()
        && SessionLoginItems::comparable(arguments.front()) == SessionLoginItems::comparable(executable))
        return Occupant::starts;
    return Occupant::other;
}

} // namespace SystemPlatform
