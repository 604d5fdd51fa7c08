#include "Platform/System/DesktopEntry.h"
#include "tests/Support/TempRoot.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using SystemPlatform::DesktopEntry;

TEST(DesktopEntry, ExecSplitsQuotedArgumentsAndDropsFieldCodes)
{
    const auto entry = DesktopEntry::parse("# made by hand\n[Desktop Entry]\nType=Application\n"
                                           "Exec=\"/a b/\\\\\"q\\\\\" \\\\\\\\x\" --rate=100%% %U plain\n"
                                           "Name=Tab\\tbed\n[Other Group]\nExec=ignored\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->execArguments(), (std::vector<std::string> {"/a b/\"q\" \\x", "--rate=100%", "plain"}));
    EXPECT_EQ(entry->value("Name"), "Tab\tbed");
    EXPECT_EQ(entry->value("Type"), "Application");
}

TEST(DesktopEntry, UnsoundEntriesAreRefused)
{
    const std::string group = "[Desktop Entry]\n";
    for (const std::string& text : {
             std::string("Type=Application\n") + group, // a key before the group
             group + "Name=a\nName=b\n", // a key twice
             group + "Name=\\q\n", // an unknown escape
             group + "Exec=\"/unclosed\n", // an unclosed quote
             group + "Name=a\xff\n", // not UTF-8
             group + std::string("Name=a\0b\n", 9), // a NUL
             group + "Name=" + std::string(DesktopEntry::maximumFileSize, 'x') + "\n",
             std::string("Name=x\n"), // no group
         })
        EXPECT_FALSE(DesktopEntry::parse(text)) << text.substr(0, 60);
}

TEST(DesktopEntry, ReadingSomethingElseThanARegularFileReturnsAtOnce)
{
    TempRoot root;
    const auto fifo = root.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, root.path() / "x.desktop");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DesktopEntry::read(root.path() / "x.desktop"));
    EXPECT_FALSE(DesktopEntry::read("/dev/zero"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
