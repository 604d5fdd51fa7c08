#pragma once

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/SMC/SMCExport.h"

#include <filesystem>

namespace IOKit {

// The lock every process that moves the applesmc driver's one key index takes around each move and
// the reads that depend on it: flock(2) on a file that all of them open (in the helper's run folder).
// No path: no lock. A file that cannot be opened is said once on standard error; the exchanges then go
// on unlocked, so that fans can still be set automatic. Not thread-safe: its owner serialises.
class AERLO_SMC_EXPORT ApplesmcIndexLock {
public:
    explicit ApplesmcIndexLock(std::filesystem::path path = {});

    // Holds the lock while it lives.
    class Hold {
    public:
        explicit Hold(ApplesmcIndexLock& lock);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        int fd_;
    };

    const std::filesystem::path& path() const { return path_; }

private:
    // The open lock file, or -1.
    int descriptor();

    std::filesystem::path path_;
    Foundation::FileDescriptor file_;
    bool failed_ = false;
};

} // namespace IOKit
