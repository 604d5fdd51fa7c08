#include "QVToolsKit/QVFileAdministrator.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <system_error>

namespace QVToolsKit {

bool QVFileAdministrator::checkFileAreEqual(const std::filesystem::path& sourcePath,
                                            const std::filesystem::path& destinationPath)
{
    const auto sourceHash = sha256Hash(sourcePath);
    if (!sourceHash)
        return false;
    const auto destinationHash = sha256Hash(destinationPath);
    if (!destinationHash || *sourceHash != *destinationHash)
        return false;
    const auto sourceDate = modificationDate(sourcePath);
    if (!sourceDate)
        return false;
    const auto destinationDate = modificationDate(destinationPath);
    return destinationDate && *sourceDate == *destinationDate;
}

std::optional<std::string> QVFileAdministrator::sha256Hash(const std::filesystem::path& path)
{
    return Foundation::FileDigest::sha256(path);
}

std::optional<QVFileAdministrator::Date> QVFileAdministrator::modificationDate(const std::filesystem::path& path)
{
    const auto attributes = fileAttributes(path);
    if (!attributes)
        return std::nullopt;
    const auto& mtime = attributes->st_mtim;
    return Date(std::chrono::seconds(mtime.tv_sec) + std::chrono::nanoseconds(mtime.tv_nsec));
}

std::optional<struct stat> QVFileAdministrator::fileAttributes(const std::filesystem::path& path)
{
    struct stat attributes {};
    if (::lstat(path.c_str(), &attributes) != 0) {
        Foundation::Console::print("Error getting attributes for file at path " + path.string() + ": "
                                   + Foundation::errnoText(errno));
        return std::nullopt;
    }
    return attributes;
}

} // namespace QVToolsKit
