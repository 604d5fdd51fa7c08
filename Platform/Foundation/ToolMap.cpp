#include "Platform/Foundation/ToolMap.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/SharedInstance.h"

#include <mutex>
#include <unistd.h>

namespace Foundation {

namespace {

bool isExecutable(const char* path) { return ::access(path, X_OK) == 0; }

std::string shellForZsh()
{
    for (const char* zsh : {"/bin/zsh", "/usr/bin/zsh"})
        if (isExecutable(zsh))
            return zsh;
    return "/bin/sh";
}

// A command-line audio player, when one is installed.
std::string audioPlayer()
{
    for (const char* player : {"/usr/bin/paplay", "/usr/bin/aplay"})
        if (isExecutable(player))
            return player;
    return "";
}

using Map = std::map<std::string, std::string, std::less<>>;

Map defaultMap()
{
    Map map;
    for (auto& [mac, target] : ToolMap::defaults())
        map.emplace(mac, target);
    return map;
}

struct State {
    std::mutex mutex;
    std::optional<Map> map;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

// Runs `body` on the map under its lock, the defaults loaded on first use.
template <typename Body>
auto withMap(Body&& body)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.map)
        s.map = defaultMap();
    return body(*s.map);
}

} // namespace

std::map<std::string, std::string> ToolMap::defaults()
{
    return {
        {"/bin/zsh", shellForZsh()},
        {"/bin/sh", "/bin/sh"},
        {"/bin/ls", "/bin/ls"},
        {"/bin/kill", "/bin/kill"},
        {"/bin/hostname", "/bin/hostname"},
        // Linux has programs at some of these paths, but with other options and output: stand-ins answer instead.
        {"/usr/bin/say", ""},
        {"/usr/bin/afplay", audioPlayer()},
        {"/usr/bin/codesign", ""},
        {"/usr/sbin/system_profiler", ""},
        {"/usr/bin/top", ""},
        {"/usr/bin/open", ""},
        {"/usr/sbin/sysctl", ""},
    };
}

std::optional<std::string> ToolMap::resolve(std::string_view macPath)
{
    return withMap([&](Map& map) -> std::optional<std::string> {
        const auto found = map.find(macPath);
        if (found == map.end())
            return std::string(macPath);
        if (found->second.empty())
            return std::nullopt;
        return found->second;
    });
}

void ToolMap::set(std::string_view macPath, std::string_view target)
{
    withMap([&](Map& map) { map.insert_or_assign(std::string(macPath), std::string(target)); });
}

void ToolMap::remove(std::string_view macPath)
{
    withMap([&](Map& map) {
        if (const auto found = map.find(macPath); found != map.end())
            map.erase(found);
    });
}

void ToolMap::resetForTesting()
{
    withMap([](Map& map) { map = defaultMap(); });
}

std::string ToolMap::standIn(std::string_view name, std::string_view built)
{
    const auto executable = Bundle::main().executablePath();
    if (executable) {
        const std::filesystem::path bundled = executable->parent_path() / name;
        if (::access(bundled.c_str(), X_OK) == 0)
            return bundled.string();
    }
    return std::string(built);
}

} // namespace Foundation
