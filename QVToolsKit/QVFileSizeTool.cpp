#include "QVToolsKit/QVFileSizeTool.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/SharedInstance.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace QVToolsKit {

namespace fs = std::filesystem;
using Foundation::Console;

QVFileSizeTool::QVFileSizeTool()
{
    using Formatter = Foundation::ByteCountFormatter;
    byteFormatter_.setAllowedUnits(Formatter::useBytes | Formatter::useKB | Formatter::useMB | Formatter::useGB
                                   | Formatter::useTB);
    byteFormatter_.setZeroPadsFractionDigits(true);
    byteFormatter_.setCountStyle(Formatter::CountStyle::file);
}

Foundation::SharedInstance<QVFileSizeTool>& QVFileSizeTool::instance()
{
    static Foundation::SharedInstance<QVFileSizeTool> shared([](void* storage) { new (storage) QVFileSizeTool(); });
    return shared;
}

QVFileSizeTool& QVFileSizeTool::shared() { return instance().get(); }

std::string QVFileSizeTool::formatSize(std::uint64_t size)
{
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return byteFormatter_.string(static_cast<std::int64_t>(std::min(size, largest)));
}

std::uint64_t QVFileSizeTool::calculateSize(const fs::path& at)
{
    if (!fileExists(at)) {
        Console::print("Invalid path: " + at.string());
        return 0;
    }
    return isDirectory(at) ? calculateDirectorySize(at) : calculateFileSize(at);
}

std::uint64_t QVFileSizeTool::calculateDirectorySize(const fs::path& at)
{
    std::error_code error;
    fs::recursive_directory_iterator walk(at, fs::directory_options::skip_permission_denied, error);
    if (error) {
        Console::print("无法获取目录枚举器: " + at.string());
        return 0;
    }
    std::uint64_t total = 0;
    for (; walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (error)
            break;
        const fs::path& path = walk->path();
        if (path.filename().string().starts_with(".")) {
            walk.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            Console::print("无法获取文件属性: " + path.string() + ", 错误: " + Foundation::errnoText(errno));
            continue;
        }
        if (!S_ISDIR(info.st_mode))
            total += static_cast<std::uint64_t>(info.st_size);
    }
    return total;
}

std::uint64_t QVFileSizeTool::calculateFileSize(const fs::path& at)
{
    if (!fileExists(at)) {
        Console::print("File does not exist at path: " + at.string());
        return 0;
    }
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0) {
        Console::print("Failed to retrieve file attributes for path: " + at.string()
                       + ", error: " + Foundation::errnoText(errno));
        return 0;
    }
    return info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

fs::path QVFileSizeTool::getSandboxDataPath() { return Foundation::Paths::home(); }

bool QVFileSizeTool::fileExists(const fs::path& atPath)
{
    struct stat info {};
    return ::stat(atPath.c_str(), &info) == 0;
}

bool QVFileSizeTool::isDirectory(const fs::path& url)
{
    struct stat info {};
    return ::stat(url.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace QVToolsKit
