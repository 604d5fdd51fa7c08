#include "Platform/System/SessionLoginItems.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/System/AutostartFolder.h"
#include "Platform/System/DesktopEntry.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SystemPlatform {

namespace fs = std::filesystem;

namespace {

fs::path resolvedBundle(const fs::path& entryPath)
{
    const auto entry = DesktopEntry::read(entryPath);
    if (!entry || entry->value("Type") != "Application" || entry->isTrue("Hidden") || entry->execArguments().empty())
        return {};
    return SessionLoginItems::comparable(Foundation::Bundle::bundlePathForExecutable(entry->execArguments().front()));
}

} // namespace

fs::path SessionLoginItems::comparable(const fs::path& path)
{
    if (path.empty())
        return {};
    std::error_code error;
    fs::path absolute = path.is_absolute() ? path : fs::absolute(path, error);
    absolute = absolute.lexically_normal();
    if (absolute.has_relative_path() && absolute.filename().empty())
        absolute = absolute.parent_path();
    return absolute;
}

std::optional<std::vector<SessionLoginItems::Item>> SessionLoginItems::snapshot()
{
    const fs::path folder = AutostartFolder::path();
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (status.type() == fs::file_type::not_found)
        return std::vector<Item> {};
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, error), end; it != end; it.increment(error)) {
        if (error)
            break;
        if (it->path().extension() == ".desktop")
            entries.push_back(it->path());
    }
    if (error)
        return std::nullopt;
    std::sort(entries.begin(), entries.end());
    std::vector<Item> items;
    for (const fs::path& entry : entries)
        items.push_back({entry, resolvedBundle(entry)});
    return items;
}

bool SessionLoginItems::insert(const fs::path& bundlePath)
{
    const Foundation::Bundle bundle(comparable(bundlePath));
    const auto executable = bundle.executablePath();
    if (!executable)
        return false;
    const auto text = DesktopEntry::applicationEntry(bundle.bundlePath().stem().string(), *executable);
    if (!text)
        return false;
    const fs::path folder = AutostartFolder::path();
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error))
        return false;
    const std::string stem = bundle.bundleIdentifier().value_or(bundle.bundlePath().stem().string());
    for (const fs::path& entry : AutostartFolder::names(stem))
        if (AutostartFolder::occupant(entry, *executable) == AutostartFolder::Occupant::none)
            return Foundation::AtomicFile::write(entry, *text, 0644).ok();
    return false;
}

bool SessionLoginItems::remove(const Item& item)
{
    std::error_code error;
    return fs::remove(item.entry, error) && !error;
}

} // namespace SystemPlatform
