#include "QVToolsKit/QVFileAdministrator.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace QVToolsKit {
struct QVFileAdministratorAccess {
    static std::optional<std::string> sha256Hash(const std::filesystem::path& path)
    {
        return QVFileAdministrator::sha256Hash(path);
    }
    static bool hasAttributes(const std::filesystem::path& path)
    {
        return QVFileAdministrator::fileAttributes(path).has_value();
    }
};
} // namespace QVToolsKit

using QVToolsKit::QVFileAdministrator;
using QVToolsKit::QVFileAdministratorAccess;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }

void setModificationTime(const fs::path& path, time_t seconds, long nanoseconds)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FileIdentityTest : public ::testing::Test {
protected:
    fs::path file(const char* name, std::string_view content, long nanoseconds = 123456789)
    {
        const fs::path path = root.path() / name;
        writeFile(path, content);
        setModificationTime(path, 1741183629, nanoseconds);
        return path;
    }

    TempRoot root;
    ConsoleCapture capture;
};

} // namespace

TEST_F(FileIdentityTest, SameContentAndSameTimeOnly)
{
    const fs::path a = file("a", "helper v2");
    struct Case {
        const char* name;
        fs::path other;
        bool equal;
    };
    const Case cases[] = {
        {"itself", a, true},
        {"a copy with the same time", file("b", "helper v2"), true},
        {"one nanosecond later", file("c", "helper v2", 123456790), false},
        {"other content, same time", file("d", "helper v3"), false},
        {"missing", root.path() / "missing", false},
        {"a folder", root.path(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QVFileAdministrator::checkFileAreEqual(a, c.other), c.equal);
        EXPECT_EQ(QVFileAdministrator::checkFileAreEqual(c.other, a), c.equal);
    }
    EXPECT_EQ(capture.output(), ""); // missing files fail at the digest, before attributes
}

TEST_F(FileIdentityTest, DigestIsLowerCaseHexSHA256OfTheWholeFile)
{
    EXPECT_EQ(QVFileAdministratorAccess::sha256Hash(file("empty", "")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(QVFileAdministratorAccess::sha256Hash(file("abc", "abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Larger than one read buffer.
    EXPECT_EQ(QVFileAdministratorAccess::sha256Hash(file("million", std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(QVFileAdministratorAccess::sha256Hash(root.path() / "missing"), std::nullopt);
    EXPECT_EQ(capture.output(), "");
}

TEST_F(FileIdentityTest, AttributeFailureIsPrinted)
{
    const fs::path missing = root.path() / "missing";
    EXPECT_FALSE(QVFileAdministratorAccess::hasAttributes(missing));
    EXPECT_EQ(capture.output(),
              "Error getting attributes for file at path " + missing.string() + ": No such file or directory\n");
}
