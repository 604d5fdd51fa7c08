#pragma once

#include "Platform/Foundation/Result.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Aerlo {

// Whom the helper daemon serves, as its job file says ("AllowedClientUIDs", "AllowedClientPath",
// "AllowedClientSHA256"). Without a job file (a development run) it serves only its own uid and does
// not check the client's executable.
struct HelperConfiguration {
    bool development = false;
    std::vector<uid_t> allowedClientUIDs;
    std::filesystem::path allowedClientPath; // resolved
    std::string allowedClientSHA256;

    // The configuration of a development run serving `uid`.
    static HelperConfiguration developmentRun(uid_t uid);
    // From the job file at `jobFile`; a development run for getuid() when there is no such file.
    // Fails when the file exists but holds no valid job.
    static Foundation::Result<HelperConfiguration> load(const std::filesystem::path& jobFile);
};

} // namespace Aerlo
