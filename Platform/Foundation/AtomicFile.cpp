#include "Platform/Foundation/AtomicFile.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

Error failure(std::string_view what, const std::filesystem::path& path, int error)
{
    return Error(std::string(what) + " \"" + path.string() + "\": " + errnoText(error));
}

// Copies everything readable from `from` to `to`; false with errno set on a failure.
bool copyAll(int from, int to)
{
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!writeAll(to, std::string_view(buffer.data(), static_cast<size_t>(n))))
            return false;
    }
}

} // namespace

AtomicFile::AtomicFile(std::filesystem::path destination) : destination_(std::move(destination)) {}

AtomicFile::~AtomicFile() { discard(); }

Result<void> AtomicFile::stage(std::string_view contents, mode_t mode) { return stageFrom(-1, contents, mode); }

Result<void> AtomicFile::stageCopy(const std::filesystem::path& source, mode_t mode)
{
    const FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return failure("Cannot read", source, errno);
    struct stat attributes {};
    Result<void> staged;
    if (::fstat(fd.get(), &attributes) != 0)
        staged = failure("Cannot read", source, errno);
    else if (!S_ISREG(attributes.st_mode))
        staged = Error("\"" + source.string() + "\" is not a regular file");
    else
        staged = stageFrom(fd.get(), {}, mode);
    return staged;
}

Result<void> AtomicFile::stageFrom(int sourceFd, std::string_view contents, mode_t mode)
{
    discard();
    std::string pattern = (destination_.parent_path() / ("." + destination_.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return failure("Cannot create a file beside", destination_, errno);
    temporary_ = pattern;

    bool written = sourceFd >= 0 ? copyAll(sourceFd, fd) : writeAll(fd, contents).ok();
    written = written && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (written && sourceFd >= 0) {
        // Last, so that nothing written afterwards touches the times.
        struct stat attributes {};
        written = ::fstat(sourceFd, &attributes) == 0;
        const timespec times[2] = {attributes.st_atim, attributes.st_mtim};
        written = written && ::futimens(fd, times) == 0;
    }
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        Error text = failure("Cannot write", temporary_, error);
        discard();
        return text;
    }
    return {};
}

Result<void> AtomicFile::commit()
{
    if (temporary_.empty())
        return Error("Nothing is staged for \"" + destination_.string() + "\"");
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        Error text = failure("Cannot replace", destination_, errno);
        discard();
        return text;
    }
    temporary_.clear();
    const int folder = ::open(destination_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

Result<void> AtomicFile::write(const std::filesystem::path& destination, std::string_view contents, mode_t mode)
{
    AtomicFile file(destination);
    if (auto staged = file.stage(contents, mode); !staged)
        return staged;
    return file.commit();
}

void AtomicFile::discard()
{
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace Foundation
