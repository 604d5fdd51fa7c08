#include "Platform/System/ConsoleUser.h"

#include "Platform/Foundation/SharedInstance.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace SystemPlatform {

namespace {

struct State {
    std::mutex mutex;
    bool overridden = false;
    std::optional<ConsoleUser::User> user;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

bool hasGraphicalSession()
{
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}

// The password-database entry of `uid`, with its strings kept in `buffer`.
bool passwordEntry(uid_t uid, passwd& entry, std::vector<char>& buffer)
{
    buffer.resize(16384);
    passwd* found = nullptr;
    return ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found;
}

} // namespace

std::optional<ConsoleUser::User> ConsoleUser::current()
{
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.overridden)
            return s.user;
    }
    if (!hasGraphicalSession())
        return std::nullopt;
    passwd entry {};
    std::vector<char> buffer;
    const uid_t uid = ::getuid();
    if (!passwordEntry(uid, entry, buffer) || !entry.pw_name)
        return std::nullopt;
    return User {entry.pw_name, uid};
}

void ConsoleUser::set(std::optional<User> user)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.overridden = true;
    s.user = std::move(user);
}

void ConsoleUser::resetForTesting()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.overridden = false;
    s.user.reset();
}

std::optional<std::string> ConsoleUser::homeDirectory(uid_t uid)
{
    passwd entry {};
    std::vector<char> buffer;
    if (!passwordEntry(uid, entry, buffer) || !entry.pw_dir)
        return std::nullopt;
    return std::string(entry.pw_dir);
}

} // namespace SystemPlatform
