#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Result.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace Aerlo {

// The helper daemon's log: one JSON object per line, appended to a file and written out line by
// line (one write each, nothing buffered), so that another process can read exactly what the
// daemon received, in order. Every record starts with "time" (UTC, milliseconds) and "event".
// The file never grows beyond its cap: a line that would pass it first moves the file to
// "<path>.1" (dropping the one there), so at most twice the cap is kept. Thread-safe.
class HelperLog {
public:
    static constexpr std::uintmax_t defaultMaximumBytes = 1024 * 1024;

    explicit HelperLog(const Foundation::Clock& clock = Foundation::Clock::system(),
                       std::uintmax_t maximumBytes = defaultMaximumBytes);
    ~HelperLog();
    HelperLog(const HelperLog&) = delete;
    HelperLog& operator=(const HelperLog&) = delete;

    // Opens `path` for appending (mode 0644), creating its folder.
    [[nodiscard]] Foundation::Result<void> open(const std::filesystem::path& path);
    void close();
    bool isOpen() const;

    // {"time": …, "event": event, …fields}; `fields` is an object. Nothing is written while closed.
    void record(std::string_view event, const nlohmann::ordered_json& fields = nlohmann::ordered_json::object());

    // "2025-01-01T00:00:00.000Z" for seconds since 1970.
    static std::string timestamp(double wallSeconds);
    // Where the older lines go.
    static std::filesystem::path rotatedPath(const std::filesystem::path& path);

private:
    // The descriptor of path_ opened for appending (size_ set), or why not.
    Foundation::Result<int> openFile();
    void rotate();

    const Foundation::Clock& clock_;
    const std::uintmax_t maximumBytes_;
    mutable std::mutex mutex_;
    std::filesystem::path path_;
    Foundation::FileDescriptor fd_;
    std::uintmax_t size_ = 0;
};

} // namespace Aerlo
