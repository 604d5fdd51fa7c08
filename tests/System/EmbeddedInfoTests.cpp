#include "Platform/Foundation/Process.h"
#include "Platform/System/EmbeddedInfo.h"
#include "tests/Support/TempRoot.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;
using SystemPlatform::EmbeddedInfo;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

fs::path writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::optional<std::string> versionOf(const fs::path& path)
{
    const auto info = EmbeddedInfo::infoDictionary(path);
    if (!info)
        return std::nullopt;
    const auto version = info->find("CFBundleShortVersionString");
    if (version == info->end() || !version->is_string())
        return std::nullopt;
    return version->get<std::string>();
}

void putLittle(std::string& bytes, size_t at, std::uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A small ELF64 file: a null section, the given sections, then the section-name table, with the
// section headers at the end. Every field can be spoiled before bytes() lays it out.
struct TestElf {
    struct Section {
        Section(std::string name_ = {}, std::string data_ = {}, std::uint32_t type_ = 1)
            : name(std::move(name_)), data(std::move(data_)), type(type_)
        {
        }
        std::string name;
        std::string data;
        std::uint32_t type; // 1: PROGBITS
        std::optional<std::uint64_t> offset;
        std::optional<std::uint64_t> size;
        std::optional<std::uint32_t> nameOffset;
        std::uint32_t link = 0;
    };
    std::vector<Section> sections;
    unsigned char elfClass = 2;
    unsigned char byteOrder = 1;
    std::uint16_t entrySize = 64;
    std::optional<std::uint16_t> sectionCount;
    std::optional<std::uint16_t> namesIndex;
    std::optional<std::string> names; // replaces the name table's bytes
    bool extendedNumbering = false; // counts in section 0, as for very many sections

    std::string bytes() const
    {
        std::vector<Section> all;
        all.push_back({});
        all.insert(all.end(), sections.begin(), sections.end());
        all.push_back({".shstrtab", "", 3});
        std::string table(1, '\0');
        for (auto& section : all) {
            if (section.name.empty())
                continue;
            section.nameOffset = section.nameOffset.value_or(static_cast<std::uint32_t>(table.size()));
            table += section.name + '\0';
        }
        all.back().data = names.value_or(table);

        std::string file(64, '\0');
        std::vector<std::uint64_t> offsets;
        for (const auto& section : all) {
            offsets.push_back(file.size());
            file += section.data;
        }
        const std::uint64_t tableOffset = file.size();
        const std::uint64_t count = all.size();
        if (extendedNumbering) {
            all[0].size = count;
            all[0].link = static_cast<std::uint32_t>(count - 1);
        }
        for (size_t i = 0; i < all.size(); ++i) {
            std::string entry(std::max<size_t>(entrySize, 64), '\0');
            const auto& section = all[i];
            putLittle(entry, 0, section.nameOffset.value_or(0), 4);
            putLittle(entry, 4, i == 0 ? 0 : section.type, 4);
            putLittle(entry, 24, section.offset.value_or(i == 0 ? 0 : offsets[i]), 8);
            putLittle(entry, 32, section.size.value_or(section.data.size()), 8);
            putLittle(entry, 40, section.link, 4);
            file += entry.substr(0, entrySize);
        }
        file.replace(0, 4,
                     "\x7f"
                     "ELF");
        file[4] = static_cast<char>(elfClass);
        file[5] = static_cast<char>(byteOrder);
        file[6] = 1;
        putLittle(file, 0x10, 2, 2); // executable
        putLittle(file, 0x12, 62, 2); // x86-64
        putLittle(file, 0x28, tableOffset, 8);
        putLittle(file, 0x34, 64, 2);
        putLittle(file, 0x3A, entrySize, 2);
        putLittle(file, 0x3C, extendedNumbering ? 0 : sectionCount.value_or(static_cast<std::uint16_t>(count)), 2);
        putLittle(file, 0x3E, extendedNumbering ? 0xFFFF : namesIndex.value_or(static_cast<std::uint16_t>(count - 1)),
                  2);
        return file;
    }
};

const std::string infoJSON = R"({"CFBundleShortVersionString": "7.0"})";

TestElf infoElf(std::string data = infoJSON)
{
    TestElf elf;
    elf.sections.push_back({".text", std::string(32, '\x90')});
    elf.sections.push_back({".aerlo_info", std::move(data)});
    return elf;
}

} // namespace

class EmbeddedInfoTest : public ::testing::Test {
protected:
    fs::path file(const std::string& name, const std::string& bytes) { return writeFile(root_.path() / name, bytes); }

    TempRoot root_;
};

TEST_F(EmbeddedInfoTest, ReadsTheVersionEmbeddedInTheBuiltDaemon)
{
    EXPECT_EQ(versionOf(AERLO_TEST_DAEMON), AERLO_TEST_DAEMON_VERSION);
    const auto section = EmbeddedInfo::section(AERLO_TEST_DAEMON, ".aerlo_info");
    ASSERT_TRUE(section);
    EXPECT_EQ(*section, std::string("{\"CFBundleShortVersionString\": \"" AERLO_TEST_DAEMON_VERSION "\"}") + '\0');
}

TEST_F(EmbeddedInfoTest, ReadsTheVersionOfACopyRewrittenByObjcopy)
{
    const std::string objcopy = AERLO_OBJCOPY;
    if (objcopy.empty() || !fs::exists(objcopy))
        GTEST_SKIP() << "objcopy is not installed";
    for (const std::string version : {"1.0.0", "1.0", "10.20.30-a-much-longer-version-text-than-before"}) {
        SCOPED_TRACE(version);
        const auto copy = root_.path() / "daemon";
        fs::copy_file(AERLO_TEST_DAEMON, copy, fs::copy_options::overwrite_existing);
        const auto json = file("v.json", R"({"CFBundleShortVersionString": ")" + version + "\"}");
        const auto result =
            Foundation::Process::run(objcopy, {"--update-section", ".aerlo_info=" + json.string(), copy.string()});
        ASSERT_TRUE(result.launched) << result.launchError;
        ASSERT_EQ(result.status, 0) << result.stderr_;
        EXPECT_EQ(versionOf(copy), version);
    }
}

TEST_F(EmbeddedInfoTest, ReadsWellFormedSections)
{
    EXPECT_EQ(versionOf(file("plain", infoElf().bytes())), "7.0");
    EXPECT_EQ(versionOf(file("nul", infoElf(infoJSON + std::string(3, '\0')).bytes())), "7.0");
    // As large as allowed.
    const auto padded = infoJSON + std::string(EmbeddedInfo::maximumSectionSize - infoJSON.size(), ' ');
    EXPECT_EQ(versionOf(file("largest", infoElf(padded).bytes())), "7.0");
    // Section counts kept in section 0.
    auto extended = infoElf();
    extended.extendedNumbering = true;
    EXPECT_EQ(versionOf(file("extended", extended.bytes())), "7.0");
    // Another section by name.
    EXPECT_EQ(EmbeddedInfo::section(file("text", infoElf().bytes()), ".text"), std::string(32, '\x90'));
    EXPECT_FALSE(EmbeddedInfo::section(file("text", infoElf().bytes()), ".data"));
}

TEST_F(EmbeddedInfoTest, MalformedFilesGiveNothing)
{
    const auto spoiled = [](auto change) {
        auto elf = infoElf();
        change(elf);
        return elf.bytes();
    };
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "#!/bin/sh\necho not an executable\n"},
        {"magic only", "\x7f"
                       "ELF"},
        {"32-bit", spoiled([](TestElf& e) { e.elfClass = 1; })},
        {"big-endian", spoiled([](TestElf& e) { e.byteOrder = 2; })},
        {"no info section",
         [] {
             TestElf elf;
             elf.sections.push_back({".text", "x"});
             return elf.bytes();
         }()},
        {"JSON array", infoElf("[\"CFBundleShortVersionString\"]").bytes()},
        {"not JSON", infoElf("{\"CFBundleShortVersionString\": ").bytes()},
        {"oversized section", infoElf(infoJSON + std::string(EmbeddedInfo::maximumSectionSize, ' ')).bytes()},
        {"no bits", spoiled([](TestElf& e) { e.sections[1].type = 8; })},
        {"section beyond the file", spoiled([](TestElf& e) { e.sections[1].offset = 1u << 20; })},
        {"size wraps around", spoiled([](TestElf& e) {
             e.sections[1].offset = 200;
             e.sections[1].size = ~std::uint64_t(0) - 100;
         })},
        {"huge size", spoiled([](TestElf& e) { e.sections[1].size = ~std::uint64_t(0); })},
        {"name beyond the table", spoiled([](TestElf& e) { e.sections[1].nameOffset = 4000; })},
        {"names not terminated", spoiled([](TestElf& e) { e.names = std::string("\0.text\0.aerlo_info", 18); })},
        {"name table index too large", spoiled([](TestElf& e) { e.namesIndex = 40; })},
        {"section count beyond the file", spoiled([](TestElf& e) { e.sectionCount = 4000; })},
        {"entries too small", spoiled([](TestElf& e) { e.entrySize = 32; })},
        {"extended count beyond the file",
         [] {
             auto elf = infoElf();
             elf.extendedNumbering = true;
             auto bytes = elf.bytes();
             // Section 0's size (the count) sits 32 bytes into the first section header.
             const auto tableOffset = static_cast<size_t>(static_cast<unsigned char>(bytes[0x28]))
                                      | static_cast<size_t>(static_cast<unsigned char>(bytes[0x29])) << 8;
             putLittle(bytes, tableOffset + 32, ~std::uint64_t(0), 8);
             return bytes;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(EmbeddedInfo::infoDictionary(file("case", c.bytes)));
    }
}

TEST_F(EmbeddedInfoTest, TruncatedAndGarbledCopiesOfTheDaemonGiveNothing)
{
    const std::string daemon = readFile(AERLO_TEST_DAEMON);
    ASSERT_GT(daemon.size(), 4096u);
    // The section headers lie at the end: any cut loses some of them.
    for (size_t length : {size_t(0), size_t(1), size_t(4), size_t(16), size_t(63), size_t(64), size_t(65),
                          daemon.size() / 2, daemon.size() - 64, daemon.size() - 1}) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(EmbeddedInfo::infoDictionary(file("cut", daemon.substr(0, length))));
    }

    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string garbage = "\x7f"
                              "ELF\x02\x01\x01";
        garbage.resize(64 + static_cast<size_t>(round) * 16);
        for (size_t i = 7; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>(byte(random));
        EXPECT_FALSE(EmbeddedInfo::infoDictionary(file("garbage", garbage)));
    }
}

TEST_F(EmbeddedInfoTest, PathsThatAreNoFilesGiveNothing)
{
    EXPECT_FALSE(EmbeddedInfo::infoDictionary(root_.path() / "missing"));
    EXPECT_FALSE(EmbeddedInfo::infoDictionary(root_.path()));
    const auto fifo = root_.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(EmbeddedInfo::infoDictionary(fifo)); // returns at once, no writer needed
}
