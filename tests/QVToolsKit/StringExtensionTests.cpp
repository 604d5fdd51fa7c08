#include "QVToolsKit/StringExtension.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace QVToolsKit;

TEST(StringExtension, FindsHanCharactersOnly)
{
    EXPECT_FALSE(containsChinese("abc"));
    EXPECT_TRUE(containsChinese("a中b"));
    EXPECT_FALSE(containsChinese("。"));
    EXPECT_FALSE(containsChinese("，！"));
    EXPECT_FALSE(containsChinese("かな"));
    EXPECT_FALSE(containsChinese(""));
    EXPECT_FALSE(containsChinese("\xff\xfe"));
}

TEST(StringExtension, PinyinOfHanText)
{
    struct Case {
        const char* text;
        const char* full;
        const char* initials;
    };
    const Case cases[] = {
        {"中文", "zhongwen", "zw"},    {"ab 中文", "abzhongwen", "azw"}, {"abc", "", ""}, {"", "", ""},
        {"Ab\t中", "ab\tzhong", "az"}, {"中\n文", "zhong\nwen", "z"}, // a line break does not split words
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pinyinFull(c.text), c.full) << c.text;
        EXPECT_EQ(pinyinInitials(c.text), c.initials) << c.text;
    }
}

TEST(StringExtension, PinyinFromManyThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong {0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                if (pinyinFull("风扇") != "fengshan")
                    ++wrong;
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(StringExtension, ParentPathsComparePieces)
{
    struct Case {
        const char* parent;
        const char* child;
        bool isParent;
    };
    const Case cases[] = {
        {"/Users/a", "/Users/a/b/c", true},
        {"/Users/a", "/Users/ab", false},
        {"/Users/a", "/Users/a", false},
        {"Users/a/", "/Users/a/b", true},
        {"/", "/x", true},
        {"/", "/", false},
        {"", "a", true},
        {"", "", false},
        {"/Users/a/b", "/Users/a", false},
        {"//Users//a", "/Users/a/b", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isParentPath(c.parent, c.child), c.isParent) << c.parent << " / " << c.child;
}

TEST(StringExtension, EscapedPathQuotesWhatTheShellTreatsSpecially)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/a b/c d", "/a' 'b/c' 'd"},
        {"/tmp/$(x)", "/tmp/'$''('x')'"},
        {"it's", "it\\'s"},
        {"a;b&c|d", "a';'b'&'c'|'d"},
        {"\"q\"`*?~<>\\", "'\"'q'\"''`''*''?''~''<''>''\\'"},
        {"/safe/path_1.2,x:y@z%w+v=u-t", "/safe/path_1.2,x:y@z%w+v=u-t"},
        {"/中文/文件", "/中文/文件"},
        {"a\nb", "a'\n'b"},
    };
    for (const auto& [path, escaped] : cases)
        EXPECT_EQ(escapedPath(path), escaped) << path;
}

TEST(StringExtension, FourCharCodeKeepsTheLastFourBytes)
{
    EXPECT_EQ(fourCharCode(""), 0u);
    EXPECT_EQ(fourCharCode("abcd"), 0x61626364u);
    EXPECT_EQ(fourCharCode("ab"), 0x6162u);
    EXPECT_EQ(fourCharCode("abcde"), fourCharCode("bcde"));
    EXPECT_EQ(fourCharCode("中"), 0xE4B8ADu);
}

} // namespace
