#include "Platform/Foundation/Paths.h"

#include "Platform/Foundation/SharedInstance.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace Foundation {

namespace {

struct RootSlot {
    std::mutex mutex;
    std::filesystem::path root; // empty: from the environment
};

// Never destroyed: detached threads and exit handlers still resolve paths.
RootSlot& rootSlot()
{
    static SharedInstance<RootSlot> slot;
    return slot.get();
}

std::atomic<std::uint64_t> rootChanges {0};

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

struct Account {
    std::string name;
    std::string home;
};

// The password entry of the process's user, looked up once (getpwuid's static buffer is not thread safe).
const Account& account()
{
    static SharedInstance<const Account> entry([](void* storage) {
        Account& found = *new (storage) Account;
        passwd pw {};
        passwd* result = nullptr;
        std::string buffer(16384, '\0');
        if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result) {
            found.name = pw.pw_name ? pw.pw_name : "";
            found.home = pw.pw_dir ? pw.pw_dir : "";
        }
    });
    return entry.get();
}

// The user's real home: $HOME, else the password entry's, else /tmp.
std::filesystem::path realHome()
{
    std::string home = env("HOME");
    if (home.empty())
        home = account().home;
    if (home.empty())
        home = "/tmp";
    return home;
}

std::filesystem::path environmentRoot()
{
    if (auto root = env("AERLO_ROOT"); !root.empty())
        return root;
    if (auto data = env("XDG_DATA_HOME"); !data.empty())
        return std::filesystem::path(data) / "aerlo" / "root";
    return realHome() / ".local" / "share" / "aerlo" / "root";
}

} // namespace

std::filesystem::path Paths::root()
{
    RootSlot& slot = rootSlot();
    std::lock_guard lock(slot.mutex);
    if (!slot.root.empty())
        return slot.root;
    return environmentRoot();
}

void Paths::setRoot(const std::filesystem::path& root)
{
    RootSlot& slot = rootSlot();
    std::lock_guard lock(slot.mutex);
    slot.root = root;
    rootChanges.fetch_add(1);
}

std::uint64_t Paths::rootChangeCount() { return rootChanges.load(); }

std::string Paths::userName()
{
    if (auto user = env("USER"); !user.empty())
        return user;
    if (!account().name.empty())
        return account().name;
    return "user";
}

std::filesystem::path Paths::home() { return root() / "Users" / userName(); }

std::filesystem::path Paths::documents() { return home() / "Documents"; }

std::filesystem::path Paths::library() { return home() / "Library"; }

std::filesystem::path Paths::preferences() { return library() / "Preferences"; }

std::filesystem::path Paths::caches() { return library() / "Caches"; }

std::filesystem::path Paths::trash() { return home() / ".Trash"; }

std::filesystem::path Paths::applications() { return root() / "Applications"; }

std::filesystem::path Paths::privilegedHelperTools() { return root() / "Library" / "PrivilegedHelperTools"; }

std::filesystem::path Paths::configHome()
{
    // A relative value is invalid and ignored, as the base directory rules say.
    if (const std::filesystem::path config = env("XDG_CONFIG_HOME"); config.is_absolute())
        return config;
    return realHome() / ".config";
}

std::filesystem::path Paths::resolve(std::string_view macPath)
{
    if (macPath.starts_with("~/") || macPath == "~")
        return home() / std::filesystem::path(macPath.substr(macPath.size() > 1 ? 2 : 1));
    if (!macPath.starts_with('/'))
        return std::filesystem::path(macPath);
    return root() / std::filesystem::path(macPath.substr(1));
}

} // namespace Foundation
