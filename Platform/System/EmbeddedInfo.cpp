#include "Platform/System/EmbeddedInfo.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SystemPlatform {

namespace {

constexpr std::uint64_t headerSize = 64;
constexpr std::uint64_t sectionHeaderSize = 64;
constexpr std::uint64_t maximumSections = 65536;
constexpr std::uint32_t noBits = 8;           // SHT_NOBITS: no bytes in the file
constexpr std::uint16_t extendedIndex = 0xFFFF; // SHN_XINDEX

std::uint64_t little(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

struct SectionHeader {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

class ElfFile {
public:
    explicit ElfFile(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        struct stat attributes {};
        if (fd_ && ::fstat(fd_.get(), &attributes) == 0 && S_ISREG(attributes.st_mode))
            size_ = static_cast<std::uint64_t>(attributes.st_size);
    }
    ElfFile(const ElfFile&) = delete;
    ElfFile& operator=(const ElfFile&) = delete;

    // The bytes of the section named `wanted`.

    // True when [offset, offset + count) lies inside the file.
    bool holds(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= size_ && count <= size_ - offset;
    }

    bool read(std::uint64_t offset, void* buffer, std::uint64_t count) const
    {
        if (!fd_ || !holds(offset, count))
            return false;
        auto* bytes = static_cast<unsigned char*>(buffer);
        while (count > 0) {
            const ssize_t n = ::pread(fd_.get(), bytes, count, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes += n;
            offset += static_cast<std::uint64_t>(n);
            count -= static_cast<std::uint64_t>(n);
        }
        return true;
    }

    std::optional<std::string> bytes(const SectionHeader& header, std::uint64_t limit) const
    {
        if (header.type == noBits || header.size > limit || !holds(header.offset, header.size))
            return std::nullopt;
        std::string data(header.size, '\0');
        if (!read(header.offset, data.data(), header.size))
            return std::nullopt;
        return data;
    }

    std::optional<std::string> section(std::string_view wanted)
    {
        std::array<unsigned char, headerSize> header {};
        if (!read(0, header.data(), header.size()))
            return std::nullopt;
        if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F' || header[4] != 2 ||
            header[5] != 1)
            return std::nullopt; // not ELF, not 64-bit, or not little-endian
        tableOffset_ = little(&header[0x28], 8);
        entrySize_ = little(&header[0x3A], 2);
        std::uint64_t count = little(&header[0x3C], 2);
        std::uint64_t namesIndex = little(&header[0x3E], 2);
        if (tableOffset_ == 0 || entrySize_ < sectionHeaderSize)
            return std::nullopt;

        // Counts too large for the file header live in section 0.
        if (count == 0 || namesIndex == extendedIndex) {
            const auto first = sectionHeader(0);
            if (!first)
                return std::nullopt;
            if (count == 0)
                count = first->size;
            if (namesIndex == extendedIndex)
                namesIndex = first->link;
        }
        if (count == 0 || count > maximumSections || namesIndex >= count ||
            !holds(tableOffset_, count * entrySize_))
            return std::nullopt;

        const auto namesHeader = sectionHeader(namesIndex);
        if (!namesHeader)
            return std::nullopt;
        const auto names = bytes(*namesHeader, EmbeddedInfo::maximumNameTableSize);
        if (!names)
            return std::nullopt;

        for (std::uint64_t index = 0; index < count; ++index) {
            const auto candidate = sectionHeader(index);
            if (!candidate)
                return std::nullopt;
            if (candidate->name >= names->size())
                continue;
            const auto end = names->find('\0', candidate->name);
            if (end == std::string::npos)
                continue;
            if (std::string_view(*names).substr(candidate->name, end - candidate->name) == wanted)
                return bytes(*candidate, EmbeddedInfo::maximumSectionSize);
        }
        return std::nullopt;
    }

private:
    std::optional<SectionHeader> sectionHeader(std::uint64_t index)
    {
        if (index >= maximumSections)
            return std::nullopt;
        std::array<unsigned char, sectionHeaderSize> entry {};
        if (!read(tableOffset_ + index * entrySize_, entry.data(), entry.size()))
            return std::nullopt;
        SectionHeader header;
        header.name = static_cast<std::uint32_t>(little(&entry[0], 4));
        header.type = static_cast<std::uint32_t>(little(&entry[4], 4));
        header.offset = little(&entry[24], 8);
        header.size = little(&entry[32], 8);
        header.link = static_cast<std::uint32_t>(little(&entry[40], 4));
        return header;
    }

    Foundation::FileDescriptor fd_;
    std::uint64_t size_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t entrySize_ = 0;
};

} // namespace

std::optional<std::string> EmbeddedInfo::section(const std::filesystem::path& path, std::string_view name)
{
    return ElfFile(path).section(name);
}

std::optional<nlohmann::json> EmbeddedInfo::infoDictionary(const std::filesystem::path& path)
{
    auto data = section(path, sectionName);
    if (!data)
        return std::nullopt;
    while (!data->empty() && data->back() == '\0')
        data->pop_back();
    auto parsed = nlohmann::json::parse(*data, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    return parsed;
}

} // namespace SystemPlatform
