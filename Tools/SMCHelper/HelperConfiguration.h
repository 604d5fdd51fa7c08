#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Aerlo {

// Whom the helper daemon serves and how long it lets forced fans run without a client, as its job
// file says ("AllowedClientUIDs", "AllowedClientPath", "AllowedClientSHA256", and the optional
// "WatchdogSeconds"). Without a job file (a development run) it serves only its own uid and does
// not check the client's executable.
struct HelperConfiguration {
    static constexpr double defaultWatchdogSeconds = 30;

    bool development = false;
    std::vector<uid_t> allowedClientUIDs;
    std::filesystem::path allowedClientPath; // resolved
    std::string allowedClientSHA256;
    double watchdogSeconds = defaultWatchdogSeconds; // 0: no watchdog

    // The configuration of a development run serving `uid`.
    static HelperConfiguration developmentRun(uid_t uid);
    // From the job file at `jobFile`; a development run for getuid() when there is no such file.
    // Nothing, with `problem` set, when the file exists but holds no valid job.
    static std::optional<HelperConfiguration> load(const std::filesystem::path& jobFile, std::string& problem);
    // The watchdog period a "WatchdogSeconds" value gives: a finite number from 0 to one day.
    static std::optional<double> watchdogPeriod(const std::optional<double>& value);
};

} // namespace Aerlo
