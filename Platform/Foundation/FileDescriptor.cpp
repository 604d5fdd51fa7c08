#include "Platform/Foundation/FileDescriptor.h"

#include "Platform/Foundation/Posix.h"

namespace Foundation {

FileDescriptor::~FileDescriptor() { closeAndReset(fd_); }

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

void FileDescriptor::reset(int fd)
{
    closeAndReset(fd_);
    fd_ = fd;
}

int FileDescriptor::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

} // namespace Foundation
