#include "Platform/Foundation/Paths.h"
#include "QVToolsKit/QVFileSizeTool.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"

#include <fstream>
#include <gtest/gtest.h>
#include <limits>

using QVToolsKit::QVFileSizeTool;
namespace fs = std::filesystem;

namespace {

class FileSizes : public ::testing::Test {
protected:
    fs::path file(const fs::path& relative, size_t bytes)
    {
        const fs::path path = root.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
        return path;
    }
    fs::path folder(const fs::path& relative)
    {
        const fs::path path = root.path() / relative;
        fs::create_directories(path);
        return path;
    }

    TempRoot root;
    ConsoleCapture console;
};

TEST_F(FileSizes, MissingPathsPrintTheirLineAndCountZero)
{
    const fs::path missing = root.path() / "nothing";
    EXPECT_EQ(QVFileSizeTool::calculateSize(missing), 0u);
    EXPECT_EQ(QVFileSizeTool::calculateFileSize(missing), 0u);
    EXPECT_EQ(QVFileSizeTool::calculateDirectorySize(missing), 0u);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"Invalid path: " + missing.string(),
                                                          "File does not exist at path: " + missing.string(),
                                                          "无法获取目录枚举器: " + missing.string()}));
    EXPECT_FALSE(QVFileSizeTool::fileExists(missing));
    EXPECT_FALSE(QVFileSizeTool::isDirectory(missing));
}

TEST_F(FileSizes, TreesSumTheirVisibleFilesOnly)
{
    const fs::path empty = folder("empty");
    EXPECT_EQ(QVFileSizeTool::calculateSize(empty), 0u);
    const fs::path tree = folder("tree");
    file("tree/a", 100);
    file("tree/sub/b", 20);
    file("tree/sub/deeper/c", 3);
    file("tree/.hidden", 1000);
    file("tree/.hiddenFolder/d", 5000);
    file("tree/sub/.e", 7);
    EXPECT_EQ(QVFileSizeTool::calculateSize(tree), 123u);
    EXPECT_EQ(QVFileSizeTool::calculateDirectorySize(tree), 123u);
    EXPECT_EQ(console.output(), "");
}

TEST_F(FileSizes, FolderLinksAreNotFollowed)
{
    const fs::path tree = folder("tree");
    file("tree/a", 10);
    file("elsewhere/big", 5000);
    fs::create_directory_symlink(root.path() / "elsewhere", tree / "link");
    const std::uint64_t linkSize = fs::read_symlink(tree / "link").string().size();
    EXPECT_EQ(QVFileSizeTool::calculateDirectorySize(tree), 10u + linkSize);
}

TEST_F(FileSizes, BundlesAreTreesAndRegularFilesNamedAppAreFiles)
{
    folder("Tool.app/Contents/MacOS");
    file("Tool.app/Contents/MacOS/Tool", 300);
    file("Tool.app/Contents/Info.json", 40);
    EXPECT_EQ(QVFileSizeTool::calculateSize(root.path() / "Tool.app"), 340u);
    EXPECT_EQ(QVFileSizeTool::calculateSize(file("x.app", 77)), 77u);
    EXPECT_EQ(QVFileSizeTool::calculateSize(file("y.APP", 88)), 88u);
    EXPECT_EQ(QVFileSizeTool::calculateFileSize(file("z", 9)), 9u);
    EXPECT_EQ(console.output(), "");
}

TEST_F(FileSizes, PathQueries)
{
    const fs::path target = file("target", 1);
    fs::create_symlink(target, root.path() / "link");
    fs::create_symlink(root.path() / "gone", root.path() / "dangling");
    EXPECT_TRUE(QVFileSizeTool::fileExists(target));
    EXPECT_TRUE(QVFileSizeTool::fileExists(root.path() / "link"));
    EXPECT_FALSE(QVFileSizeTool::fileExists(root.path() / "dangling"));
    EXPECT_TRUE(QVFileSizeTool::isDirectory(root.path()));
    EXPECT_FALSE(QVFileSizeTool::isDirectory(target));
    EXPECT_EQ(QVFileSizeTool::getSandboxDataPath(), Foundation::Paths::home());
}

TEST(QVFileSizeToolFormat, FormatsFileSizesUpToTerabytes)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "Zero bytes"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1500000, "1.5 MB"},
        {2500000000000, "2.50 TB"},
        {std::numeric_limits<std::uint64_t>::max(), "9,223,372.04 TB"},
        {static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), "9,223,372.04 TB"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(QVFileSizeTool::shared().formatSize(size), text) << size;
}

} // namespace
