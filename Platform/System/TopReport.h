#pragma once

#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace SystemPlatform {

// `top -l 1 -o mem -n N -stats pid,command,mem` of this machine: the processes under /proc with their
// resident memory, in the table shape the macOS tool prints. The stand-in program "top" prints run()'s
// text; installStandIn() makes "/usr/bin/top" start it.
class AERLO_SYSTEM_EXPORT TopReport {
public:
    struct Row {
        std::int64_t pid = 0;
        std::string command;
        std::uint64_t residentKiB = 0;
    };
    struct Output {
        int status = 0;
        std::string standardOutput;
        std::string standardError;
    };

    // Every process with resident memory, the biggest first (lower pid first on a tie). Kernel threads
    // (no VmRSS) and processes that end while they are read are left out.
    static std::vector<Row> processes(const std::filesystem::path& procRoot = "/proc");
    // A whole number with its unit, never a decimal point: "512K", "1536M", "12G".
    static std::string memoryText(std::uint64_t kib);
    // The header block, a blank line, the column line and at most `count` rows.
    static std::string format(const std::vector<Row>& rows, std::size_t count,
                              const std::filesystem::path& procRoot = "/proc");
    // The tool's command line; unknown options print the usage and end with status 1.
    static Output run(const std::vector<std::string>& arguments, const std::filesystem::path& procRoot = "/proc");

    static std::string standInPath();
    // Points "/usr/bin/top" at the stand-in program (Foundation::ToolMap).
    static void installStandIn();
};

} // namespace SystemPlatform
