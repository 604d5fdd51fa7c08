#include "QVToolsKit/QVFileAdministrator.h"

#include "Platform/Foundation/Console.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <system_error>
#include <unistd.h>

namespace QVToolsKit {

namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// SHA-256 of everything readable from `fd`, streamed; nothing when a read fails.
std::optional<std::string> sha256Digest(int fd)
{
    const std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    std::array<unsigned char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt; // a directory, an I/O error
        }
        if (n == 0)
            break;
        if (EVP_DigestUpdate(context.get(), buffer.data(), static_cast<size_t>(n)) != 1)
            return std::nullopt;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return std::nullopt;

    static constexpr char hex[] = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 0x0F];
    }
    return text;
}

} // namespace

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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto digest = sha256Digest(fd);
    ::close(fd);
    return digest;
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
        Foundation::Console::print("Error getting attributes for file at path " + path.string() + ": " +
                                   std::generic_category().message(errno));
        return std::nullopt;
    }
    return attributes;
}

} // namespace QVToolsKit
