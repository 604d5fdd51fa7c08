#include "Platform/System/DesktopApplications.h"

#include "Platform/System/DesktopEntry.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <set>

namespace fs = std::filesystem;

namespace SystemPlatform {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<fs::path> pathList(const std::string& text)
{
    std::vector<fs::path> folders;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(':', start), text.size());
        if (end > start && text[start] == '/')
            folders.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

// The real file a command names: an absolute path, or the first executable of that name on $PATH.
std::optional<fs::path> resolvedProgram(const std::string& program)
{
    std::error_code error;
    if (program.empty())
        return std::nullopt;
    if (program.find('/') != std::string::npos) {
        if (program.front() != '/')
            return std::nullopt;
        const fs::path real = fs::canonical(program, error);
        return error ? std::nullopt : std::optional<fs::path>(real);
    }
    for (const fs::path& folder : pathList(environment("PATH"))) {
        const fs::path real = fs::canonical(folder / program, error);
        if (!error && fs::is_regular_file(real, error))
            return real;
    }
    return std::nullopt;
}

// The size folder's edge ("48x48" gives 48, "scalable" nothing).
int edgeOf(const fs::path& folder)
{
    const std::string name = folder.filename().string();
    int edge = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), edge);
    return error == std::errc() && end != name.data() && *end == 'x' ? edge : 0;
}

} // namespace

std::vector<fs::path> DesktopApplications::dataFolders()
{
    std::vector<fs::path> folders;
    if (const std::string home = environment("XDG_DATA_HOME"); !home.empty() && home.front() == '/')
        folders.emplace_back(home);
    else if (const std::string user = environment("HOME"); !user.empty())
        folders.push_back(fs::path(user) / ".local" / "share");
    std::vector<fs::path> system = pathList(environment("XDG_DATA_DIRS"));
    if (system.empty())
        system = {"/usr/local/share", "/usr/share"};
    folders.insert(folders.end(), system.begin(), system.end());
    return folders;
}

std::vector<std::string> DesktopApplications::entryLanguages(std::string_view localization)
{
    if (localization.starts_with("zh"))
        return {"zh_CN", "zh_Hans", "zh"};
    const std::string language(localization.substr(0, localization.find_first_of("-_")));
    return language.empty() ? std::vector<std::string>() : std::vector<std::string> {language};
}

std::optional<DesktopApplications::Application>
DesktopApplications::forExecutable(const fs::path& executable, const std::vector<std::string>& languages)
{
    std::error_code error;
    const fs::path target = fs::weakly_canonical(executable, error);
    if (error || target.empty())
        return std::nullopt;
    std::set<std::string> seenIds;
    for (const fs::path& data : dataFolders()) {
        const fs::path applications = data / "applications";
        std::vector<fs::path> entries;
        for (fs::recursive_directory_iterator it(applications, error), end; !error && it != end; it.increment(error))
            if (it->path().extension() == ".desktop" && it->is_regular_file(error))
                entries.push_back(it->path());
        error.clear();
        std::sort(entries.begin(), entries.end());
        for (const fs::path& file : entries) {
            // The desktop-file id: the path under applications/ with "/" as "-".
            std::string id = file.lexically_relative(applications).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seenIds.insert(id).second)
                continue;
            const auto entry = DesktopEntry::read(file);
            if (!entry || entry->value("Type") != "Application" || entry->isTrue("Hidden")
                || entry->execArguments().empty())
                continue;
            const auto program = resolvedProgram(entry->execArguments().front());
            if (!program || *program != target)
                continue;
            std::optional<std::string> name;
            for (const std::string& language : languages)
                if ((name = entry->value("Name[" + language + "]")))
                    break;
            if (!name)
                name = entry->value("Name");
            if (!name || name->empty())
                continue;
            Application found {*name, {}};
            if (const auto icon = entry->value("Icon"))
                found.iconFile = iconFile(*icon).value_or(fs::path());
            return found;
        }
    }
    return std::nullopt;
}

std::optional<fs::path> DesktopApplications::iconFile(std::string_view icon)
{
    std::error_code error;
    if (icon.empty())
        return std::nullopt;
    if (icon.front() == '/')
        return fs::is_regular_file(fs::path(icon), error) ? std::optional<fs::path>(fs::path(icon)) : std::nullopt;
    if (icon.find('/') != std::string_view::npos)
        return std::nullopt;
    const std::string file = std::string(icon) + ".png";
    for (const fs::path& data : dataFolders()) {
        std::optional<fs::path> best;
        int bestEdge = 0;
        const fs::path theme = data / "icons" / "hicolor";
        for (fs::directory_iterator it(theme, error), end; !error && it != end; it.increment(error)) {
            const fs::path candidate = it->path() / "apps" / file;
            const int edge = edgeOf(it->path());
            std::error_code missing;
            if (edge > bestEdge && fs::is_regular_file(candidate, missing)) {
                best = candidate;
                bestEdge = edge;
            }
        }
        error.clear();
        if (best)
            return best;
        if (const fs::path pixmap = data / "pixmaps" / file; fs::is_regular_file(pixmap, error))
            return pixmap;
        error.clear();
    }
    return std::nullopt;
}

} // namespace SystemPlatform
