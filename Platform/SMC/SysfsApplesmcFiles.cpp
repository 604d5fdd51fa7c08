#include "Platform/SMC/SysfsApplesmcFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace IOKit {

SysfsApplesmcFiles::SysfsApplesmcFiles(std::filesystem::path directory) : directory_(std::move(directory)) {}

ApplesmcFiles::Contents SysfsApplesmcFiles::read(std::string_view name)
{
    Contents contents;
    const int fd = ::open((directory_ / name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        contents.error = errno;
        return contents;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            contents.error = errno;
        if (count <= 0)
            break;
        contents.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    if (contents.error)
        contents.bytes.clear();
    return contents;
}

int SysfsApplesmcFiles::write(std::string_view name, std::string_view text)
{
    const int fd = ::open((directory_ / name).c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ssize_t count = 0;
    do
        count = ::write(fd, text.data(), text.size());
    while (count < 0 && errno == EINTR);
    const int error = count < 0 ? errno : (static_cast<std::size_t>(count) == text.size() ? 0 : EIO);
    ::close(fd);
    return error;
}

bool SysfsApplesmcFiles::deviceExists(const std::filesystem::path& directory)
{
    return ::access((directory / "key_count").c_str(), R_OK) == 0;
}

std::optional<std::filesystem::path> SysfsApplesmcFiles::hwmonDirectory(std::string_view name,
                                                                     const std::filesystem::path& classDirectory)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(classDirectory, error)) {
        const auto contents = SysfsApplesmcFiles(entry.path()).read("name");
        if (!contents.error && (contents.bytes == name || contents.bytes == std::string(name) + "\n"))
            return entry.path();
    }
    return std::nullopt;
}

} // namespace IOKit
