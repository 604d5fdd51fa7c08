#include "Tools/SMCHelper/HelperConfiguration.h"

#include "Platform/System/LaunchDaemonJob.h"

#include <system_error>
#include <unistd.h>

namespace Aerlo {

HelperConfiguration HelperConfiguration::developmentRun(uid_t uid)
{
    HelperConfiguration configuration;
    configuration.development = true;
    configuration.allowedClientUIDs = {uid};
    return configuration;
}

Foundation::Result<HelperConfiguration> HelperConfiguration::load(const std::filesystem::path& jobFile)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(jobFile, error)))
        return developmentRun(::getuid());

    const auto job = SystemPlatform::LaunchDaemonJob::read(jobFile);
    if (!job)
        return Foundation::Error(job.error());

    HelperConfiguration configuration;
    configuration.allowedClientUIDs = job->allowedClientUIDs;
    configuration.allowedClientSHA256 = job->allowedClientSHA256;
    configuration.allowedClientPath = std::filesystem::weakly_canonical(job->allowedClientPath, error);
    if (error)
        configuration.allowedClientPath = job->allowedClientPath;

    return configuration;
}

} // namespace Aerlo
