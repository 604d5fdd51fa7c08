#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Foundation {

std::string errnoText(int error) { return std::generic_category().message(error); }

namespace {

// The failure for the current errno, leaving errno as it was.
Error errnoError()
{
    const int error = errno;
    Error failure(errnoText(error));
    errno = error;
    return failure;
}

} // namespace

Result<void> writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

Result<std::string> readAll(int fd, std::size_t limit)
{
    std::string text;
    char buffer[65536];
    while (text.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoError();
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

Result<sockaddr_un> unixAddress(const std::filesystem::path& path)
{
    const std::string& text = path.native();
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (text.empty() || text.size() >= sizeof address.sun_path)
        return Error("\"" + text + "\" cannot be a socket address");
    std::memcpy(address.sun_path, text.data(), text.size());
    return address;
}

void closeAndReset(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

Result<void> makeDirectories(const std::filesystem::path& folder, unsigned mode)
{
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return {};
    const auto parent = folder.parent_path();
    if (!parent.empty() && parent != folder)
        if (auto made = makeDirectories(parent, mode); !made)
            return made;
    if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
        return Error("Cannot create the folder \"" + folder.string() + "\": " + errnoText(errno));
    return {};
}

} // namespace Foundation
