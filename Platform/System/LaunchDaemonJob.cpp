#include "Platform/System/LaunchDaemonJob.h"

#include "Platform/Foundation/AtomicFile.h"

#include <fstream>
#include <iterator>
#include <limits>

namespace SystemPlatform {

namespace {

constexpr std::uintmax_t maximumJobFileSize = 1024 * 1024;

std::optional<std::string> text(const nlohmann::json& json, const char* key)
{
    const auto found = json.find(key);
    if (found == json.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

} // namespace

nlohmann::ordered_json LaunchDaemonJob::json() const
{
    nlohmann::ordered_json job;
    job["Label"] = label;
    job["Program"] = program.string();
    job["Domain"] = domain;
    job["SocketPath"] = socketPath.string();
    job["AllowedClientPath"] = allowedClientPath.string();
    job["AllowedClientUIDs"] = nlohmann::ordered_json::array();
    for (const uid_t uid : allowedClientUIDs)
        job["AllowedClientUIDs"].push_back(static_cast<std::uint64_t>(uid));
    job["AllowedClientSHA256"] = allowedClientSHA256;
    job["EnvironmentVariables"] = nlohmann::ordered_json::object();
    for (const auto& [name, value] : environmentVariables)
        job["EnvironmentVariables"][name] = value;
    job["StandardOutPath"] = standardOutPath.string();
    job["StandardErrorPath"] = standardErrorPath.string();
    return job;
}

std::optional<LaunchDaemonJob> LaunchDaemonJob::fromJSON(const nlohmann::json& json)
{
    if (!json.is_object())
        return std::nullopt;
    LaunchDaemonJob job;
    const auto label = text(json, "Label");
    const auto program = text(json, "Program");
    const auto domain = text(json, "Domain");
    const auto socketPath = text(json, "SocketPath");
    const auto clientPath = text(json, "AllowedClientPath");
    const auto digest = text(json, "AllowedClientSHA256");
    const auto outPath = text(json, "StandardOutPath");
    const auto errorPath = text(json, "StandardErrorPath");
    if (!label || !program || !domain || !socketPath || !clientPath || !digest || !outPath || !errorPath)
        return std::nullopt;
    job.label = *label;
    job.program = *program;
    job.domain = *domain;
    job.socketPath = *socketPath;
    job.allowedClientPath = *clientPath;
    job.allowedClientSHA256 = *digest;
    job.standardOutPath = *outPath;
    job.standardErrorPath = *errorPath;

    const auto uids = json.find("AllowedClientUIDs");
    if (uids == json.end() || !uids->is_array())
        return std::nullopt;
    for (const auto& uid : *uids) {
        if (!uid.is_number_unsigned() || uid.get<std::uint64_t>() > std::numeric_limits<uid_t>::max())
            return std::nullopt;
        job.allowedClientUIDs.push_back(static_cast<uid_t>(uid.get<std::uint64_t>()));
    }
    const auto environment = json.find("EnvironmentVariables");
    if (environment == json.end() || !environment->is_object())
        return std::nullopt;
    for (const auto& [name, value] : environment->items()) {
        if (!value.is_string())
            return std::nullopt;
        job.environmentVariables[name] = value.get<std::string>();
    }
    return job;
}

Foundation::Result<LaunchDaemonJob> LaunchDaemonJob::read(const std::filesystem::path& path)
{
    const auto unreadable = Foundation::Error("The job file " + path.string() + " cannot be read.");
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > maximumJobFileSize)
        return unreadable;
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return unreadable;
    const std::string contents {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    const auto parsed = nlohmann::json::parse(contents, nullptr, false);
    auto job = parsed.is_discarded() ? std::nullopt : fromJSON(parsed);
    if (!job)
        return Foundation::Error("The job file " + path.string() + " holds no valid job.");
    return std::move(*job);
}

Foundation::Result<void> LaunchDaemonJob::write(const std::filesystem::path& path) const
{
    return Foundation::AtomicFile::write(path, json().dump(2) + "\n", 0644);
}

} // namespace SystemPlatform
