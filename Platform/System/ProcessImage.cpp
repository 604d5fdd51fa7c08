#include "Platform/System/ProcessImage.h"

#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SystemPlatform {

std::vector<std::string> ProcessImage::startArguments()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\0', start);
        arguments.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return arguments;
}

bool ProcessImage::isRunningImage(const std::filesystem::path& executable)
{
    struct stat file {
    }, running {};
    return ::stat(executable.c_str(), &file) == 0 && ::stat("/proc/self/exe", &running) == 0
           && file.st_dev == running.st_dev && file.st_ino == running.st_ino;
}

Foundation::Result<void> ProcessImage::replace(const std::filesystem::path& executable,
                                               const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    if (argv.empty())
        argv.push_back(const_cast<char*>(executable.c_str()));
    argv.push_back(nullptr);
    // Streams and libraries open descriptors without close-on-exec; the new image inherits none of them.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
        for (int fd = 3; fd < 4096; ++fd)
            if (const int flags = ::fcntl(fd, F_GETFD); flags >= 0)
                ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    ::execv(executable.c_str(), argv.data());
    return Foundation::Error("Cannot run \"" + executable.string() + "\": " + Foundation::errnoText(errno));
}

} // namespace SystemPlatform
