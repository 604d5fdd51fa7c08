#include "Tools/SMCHelper/HelperConfiguration.h"

#include "Platform/System/LaunchDaemonJob.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace Aerlo {

namespace {

constexpr std::uintmax_t maximumJobFileSize = 1024 * 1024;

} // namespace

HelperConfiguration HelperConfiguration::developmentRun(uid_t uid)
{
    HelperConfiguration configuration;
    configuration.development = true;
    configuration.allowedClientUIDs = {uid};
    return configuration;
}

std::optional<HelperConfiguration> HelperConfiguration::load(const std::filesystem::path& jobFile, std::string& problem)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(jobFile, error)))
        return developmentRun(::getuid());

    const auto size = std::filesystem::file_size(jobFile, error);
    std::ifstream stream(jobFile, std::ios::binary);
    if (error || size > maximumJobFileSize || !stream) {
        problem = "The job file " + jobFile.string() + " cannot be read.";
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    const auto json = nlohmann::json::parse(text, nullptr, false);
    const auto job = json.is_discarded() ? std::nullopt : SystemPlatform::LaunchDaemonJob::fromJSON(json);
    if (!job) {
        problem = "The job file " + jobFile.string() + " holds no valid job.";
        return std::nullopt;
    }

    HelperConfiguration configuration;
    configuration.allowedClientUIDs = job->allowedClientUIDs;
    configuration.allowedClientSHA256 = job->allowedClientSHA256;
    configuration.allowedClientPath = std::filesystem::weakly_canonical(job->allowedClientPath, error);
    if (error)
        configuration.allowedClientPath = job->allowedClientPath;

    return configuration;
}

} // namespace Aerlo
