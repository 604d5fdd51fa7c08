#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string>

namespace QVToolsKit {

// Runs command lines through the Z shell ("/bin/zsh -c <line>") and force-terminates processes.
// Every call blocks until the child is done.
class QVTOOLSKIT_EXPORT QVShellManager {
public:
    // The child writes to this process's own streams; nothing is reported, not even a shell that
    // cannot start.
    static void run(const std::string& command);
    // Standard output and standard error through one pipe, read to its end; output that is not valid
    // UTF-8, or a shell that cannot start, gives the empty text.
    static std::string runWithOutput(const std::string& command);
    // "/bin/kill -9 <pid>", with one printed line on the outcome. A pid of 0 or below (which would
    // signal a process group or every process) is refused without starting the tool.
    static void forceTerminateProcess(std::int32_t pid);
};

} // namespace QVToolsKit
