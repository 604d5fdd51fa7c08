#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace SystemPlatform {

// The job file of an installed daemon ("/Library/LaunchDaemons/<label>.plist", JSON): how it is
// started and which client it serves. Keys, in this order: "Label", "Program", "Domain",
// "SocketPath", "AllowedClientPath", "AllowedClientUIDs", "AllowedClientSHA256",
// "EnvironmentVariables", "StandardOutPath", "StandardErrorPath".
struct AERLO_SYSTEM_EXPORT LaunchDaemonJob {
    std::string label;
    std::filesystem::path program;
    std::string domain; // "user" or "system", as asked at installation
    std::filesystem::path socketPath;
    std::filesystem::path allowedClientPath; // the client executable, resolved
    std::vector<uid_t> allowedClientUIDs;
    std::string allowedClientSHA256; // 64 lower-case hex digits
    std::map<std::string, std::string> environmentVariables;
    std::filesystem::path standardOutPath;
    std::filesystem::path standardErrorPath;

    nlohmann::ordered_json json() const;
    // Nothing unless every key is present with its type (a uid is a whole number ≥ 0).
    static std::optional<LaunchDaemonJob> fromJSON(const nlohmann::json& json);
    // The job in the file at `path`, or why there is none ("cannot be read", "holds no valid job").
    static Foundation::Result<LaunchDaemonJob> read(const std::filesystem::path& path);
    // Written atomically, mode 0644.
    Foundation::Result<void> write(const std::filesystem::path& path) const;

    bool operator==(const LaunchDaemonJob&) const = default;
};

} // namespace SystemPlatform
