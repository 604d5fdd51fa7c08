#include "Platform/Foundation/FileDescriptor.h"

#include "Platform/Foundation/Posix.h"

#include <fcntl.h>
#include <unistd.h>

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

bool FileDescriptor::openPipe(FileDescriptor (&ends)[2], int flags)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | flags) != 0)
        return false;
    ends[0].reset(fds[0]);
    ends[1].reset(fds[1]);
    return true;
}

bool FileDescriptor::close()
{
    if (fd_ < 0)
        return true;
    return ::close(release()) == 0;
}

int FileDescriptor::release()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

} // namespace Foundation
