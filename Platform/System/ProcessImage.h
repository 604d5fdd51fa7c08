#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace SystemPlatform {

// This process's program image: what it was started with, whether a file still is that image, and
// replacing it in place (the process id, its parent and its start time stay).
class AERLO_SYSTEM_EXPORT ProcessImage {
public:
    // The arguments the process was started with, the program's name first, from /proc/self/cmdline
    // (toolkits rewrite argv in place; that memory keeps the original). Empty when unreadable.
    static std::vector<std::string> startArguments();
    // Whether `executable` is the file this process runs (the same device and inode as /proc/self/exe):
    // false after the file was rebuilt or replaced.
    static bool isRunningImage(const std::filesystem::path& executable);
    // Runs `executable` with `arguments` (the program's name first) in this process. Every descriptor
    // but the three standard streams is closed by the exec. Returns only when the exec failed, with why.
    static Foundation::Result<void> replace(const std::filesystem::path& executable,
                                            const std::vector<std::string>& arguments);
};

} // namespace SystemPlatform
