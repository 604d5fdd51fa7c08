#include "Platform/SMC/SysfsApplesmcFiles.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Posix.h"

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
    const Foundation::FileDescriptor fd(::open((directory_ / name).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        contents.error = errno;
        return contents;
    }
    if (auto bytes = Foundation::readAll(fd.get()))
        contents.bytes = std::move(bytes).value();
    else
        contents.error = errno;
    return contents;
}

int SysfsApplesmcFiles::write(std::string_view name, std::string_view text)
{
    const Foundation::FileDescriptor fd(::open((directory_ / name).c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd)
        return errno;
    ssize_t count = 0;
    do
        count = ::write(fd.get(), text.data(), text.size());
    while (count < 0 && errno == EINTR);
    return count < 0 ? errno : (static_cast<std::size_t>(count) == text.size() ? 0 : EIO);
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
