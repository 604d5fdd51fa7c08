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
    // Hands the descriptor over without closing it.
    [[nodiscard]] int release();

private:
    int fd_ = -1;
};

} // namespace Foundation
