#include "Platform/Foundation/AtomicFile.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

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

Error AtomicFile::failed(std::string_view what, const std::filesystem::path& path, int error)
{
    failedErrno_ = error;
    return Error(std::string(what) + " \"" + path.string() + "\": " + errnoText(error));
}

Result<void> AtomicFile::stage(std::string_view contents, mode_t mode) { return stageFrom(-1, contents, mode); }

Result<void> AtomicFile::stageCopy(const std::filesystem::path& source, mode_t mode)
{
    const FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return failed("Cannot read", source, errno);
    struct stat attributes {};
    Result<void> staged;
    if (::fstat(fd.get(), &attributes) != 0)
        staged = failed("Cannot read", source, errno);
    else if (!S_ISREG(attributes.st_mode))
        staged = Error("\"" + source.string() + "\" is not a regular file");
    else
        staged = stageFrom(fd.get(), {}, mode);
    return staged;
}

Result<void> AtomicFile::stageFrom(int sourceFd, std::string_view contents, mode_t mode)
{
    discard();
    failedErrno_ = 0;
    std::string pattern = (destination_.parent_path() / ("." + destination_.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd)
        return failed("Cannot create a file beside", destination_, errno);
    temporary_ = pattern;

    bool written = sourceFd >= 0 ? copyAll(sourceFd, fd.get()) : writeAll(fd.get(), contents).ok();
    written = written && keepModifiedAfter(fd.get()) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    if (written && sourceFd >= 0) {
        // Last, so that nothing written afterwards touches the times.
        struct stat attributes {};
        written = ::fstat(sourceFd, &attributes) == 0;
        const timespec times[2] = {attributes.st_atim, attributes.st_mtim};
        written = written && ::futimens(fd.get(), times) == 0;
    }
    int error = written ? 0 : errno;
    if (!fd.close() && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        Error text = failed("Cannot write", temporary_, error);
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
        Error text = failed("Cannot replace", destination_, errno);
        discard();
        return text;
    }
    temporary_.clear();
    const FileDescriptor folder(::open(destination_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.get());
    return {};
}

Result<void> AtomicFile::write(const std::filesystem::path& destination, std::string_view contents, mode_t mode)
{
    AtomicFile file(destination);
    if (auto staged = file.stage(contents, mode); !staged)
        return staged;
    return file.commit();
}

// Moves the modification time past the one asked for, when the clock has not; false with errno set on a failure.
bool AtomicFile::keepModifiedAfter(int fd) const
{
    if (!modifiedAfter_)
        return true;
    struct stat attributes {};
    if (::fstat(fd, &attributes) != 0)
        return false;
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    const std::int64_t after = nanoseconds(*modifiedAfter_);
    if (nanoseconds(attributes.st_mtim) > after)
        return true;
    const std::int64_t later = after + 1;
    const timespec times[2] = {{0, UTIME_OMIT}, {later / 1'000'000'000, later % 1'000'000'000}};
    return ::futimens(fd, times) == 0;
}

void AtomicFile::discard()
{
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace Foundation
