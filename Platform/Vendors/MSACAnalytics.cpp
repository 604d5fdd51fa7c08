#include "Platform/Vendors/MSACAnalytics.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Vendors {

namespace {

struct State {
    std::mutex mutex; // also keeps the file's lines whole and in order
    MSACAnalytics::Sink sink;
    bool started = false;
    bool warned = false;
};

State& state()
{
    static Foundation::SharedInstance<State> shared;
    return shared.get();
}

// Appends one line with one write, moving a full file aside first. Why not, or the empty text.
std::string appendLine(const std::filesystem::path& file, std::string_view line)
{
    if (line.size() > MSACAnalytics::maximumFileBytes)
        return "an event longer than the file's cap";
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0
        && static_cast<std::uintmax_t>(info.st_size) + line.size() > MSACAnalytics::maximumFileBytes)
        ::rename(file.c_str(), (file.string() + ".1").c_str());
    const Foundation::FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!fd)
        return Foundation::errnoText(errno);
    const ssize_t written = ::write(fd.get(), line.data(), line.size());
    const int error = errno;
    if (written != static_cast<ssize_t>(line.size()))
        return written < 0 ? Foundation::errnoText(error) : "a short write";
    return {};
}

void record(const MSACEvent& event)
{
    State& shared = state();
    std::unique_lock lock(shared.mutex);
    if (shared.sink) {
        const MSACAnalytics::Sink sink = shared.sink;
        lock.unlock();
        sink(event);
        return;
    }
    if (!shared.started)
        return;
    nlohmann::ordered_json line;
    line["time"] = Foundation::RunLoop::main().clock().wallTime();
    line["name"] = event.name;
    line["properties"] = nlohmann::ordered_json::object();
    for (const auto& [key, value] : event.properties)
        line["properties"][key] = value;
    const std::filesystem::path file = MSACAnalytics::eventsFile();
    const std::string problem
        = appendLine(file, line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
    // The service reports nothing to its caller; one line per process says that events are lost.
    if (!problem.empty() && !shared.warned) {
        shared.warned = true;
        Foundation::Console::printError("Analytics: cannot write " + file.string() + ": " + problem);
    }
}

} // namespace

void MSACAnalytics::trackEvent(std::string_view name)
{
    record({std::string(name), {}});
}

void MSACAnalytics::trackEvent(std::string_view name, const Properties& properties)
{
    record({std::string(name), properties});
}

void MSACAnalytics::setSink(Sink sink)
{
    std::lock_guard lock(state().mutex);
    state().sink = std::move(sink);
}

std::filesystem::path MSACAnalytics::eventsFile()
{
    const std::string identifier = Foundation::Bundle::main().bundleIdentifier().value_or(
        std::string(Foundation::UserDefaults::defaultStandardSuiteName));
    return Foundation::Paths::library() / "Application Support" / identifier / "Analytics" / "events.jsonl";
}

void MSACAnalytics::setStarted(bool started)
{
    std::lock_guard lock(state().mutex);
    state().started = started;
}

} // namespace Vendors
