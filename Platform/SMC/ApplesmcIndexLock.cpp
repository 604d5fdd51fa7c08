#include "Platform/SMC/ApplesmcIndexLock.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace IOKit {

ApplesmcIndexLock::ApplesmcIndexLock(std::filesystem::path path) : path_(std::move(path)) {}

int ApplesmcIndexLock::descriptor()
{
    if (file_ || failed_ || path_.empty())
        return file_.get();
    file_.reset(::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!file_) {
        failed_ = true;
        Foundation::Console::printError("The applesmc key index lock " + path_.string()
                                        + " cannot be opened: " + Foundation::errnoText(errno));
    }
    return file_.get();
}

ApplesmcIndexLock::Hold::Hold(ApplesmcIndexLock& lock) : fd_(lock.descriptor())
{
    if (fd_ < 0)
        return;
    int result = 0;
    do
        result = ::flock(fd_, LOCK_EX);
    while (result < 0 && errno == EINTR);
    if (result < 0)
        fd_ = -1;
}

ApplesmcIndexLock::Hold::~Hold()
{
    if (fd_ >= 0)
        ::flock(fd_, LOCK_UN);
}

} // namespace IOKit
