#pragma once

#include "Platform/Foundation/FoundationExport.h"

namespace Foundation {

// Owns an open descriptor and closes it when it goes (-1 owns nothing).
class AERLO_FOUNDATION_EXPORT FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Closes the one owned, then owns `fd`.
    void reset(int fd = -1);
    // Opens a close-on-exec pipe (with the pipe2 `flags` besides): ends[0] reads, ends[1] writes. False,
    // with errno set, on a failure.
    [[nodiscard]] static bool openPipe(FileDescriptor (&ends)[2], int flags = 0);

    // Closes the one owned now; false, with errno set, when the close reports a failure (such as a
    // write that did not reach the disk).
    [[nodiscard]] bool close();
    // Hands the descriptor over without closing it.
    [[nodiscard]] int release();

private:
    int fd_ = -1;
};

} // namespace Foundation
