#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace Vendors {

// One usage event: its name and its String-to-String properties.
struct MSACEvent {
    std::string name;
    std::map<std::string, std::string> properties;
    bool operator==(const MSACEvent&) const = default;
};

// The analytics service's event calls. Nothing is awaited and nothing comes back. Events go to the sink
// set by a test; without one they are dropped until MSACAppCenter::start has started this service, and
// after that appended to eventsFile() as one JSON line each,
// {"time": <wall seconds>, "name": …, "properties": {…}}, never sent anywhere. The file is capped at
// maximumFileBytes: a line that would pass it first moves the file to "<file>.1" (dropping the one there).
class MSACAnalytics {
public:
    using Properties = std::map<std::string, std::string>;
    using Sink = std::function<void(const MSACEvent& event)>;

    static constexpr std::uintmax_t maximumFileBytes = 1024 * 1024;

    static void trackEvent(std::string_view name);
    static void trackEvent(std::string_view name, const Properties& properties);

    // Replaces the sink (tests record; an empty sink goes back to the file).
    static void setSink(Sink sink);
    // <root>/Library/Application Support/<bundle identifier>/Analytics/events.jsonl.
    static std::filesystem::path eventsFile();

private:
    friend class MSACAppCenter;
    static void setStarted(bool started);
};

} // namespace Vendors
