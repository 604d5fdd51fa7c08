#include "Platform/Foundation/UTF8.h"

#include <gtest/gtest.h>

using Foundation::UTF8;

TEST(UTF8, Latin1BytesBecomeTextAndBack)
{
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"TC0P", "TC0P"},
        {std::string {'T', '\xB0', '0', 'P'}, "T\u00B00P"},
        {std::string {'\x80', '\xFF', '\x00', 'a'}, std::string("\u0080\u00FF") + '\0' + "a"},
        {std::string {'\xC2', '\xB0'}, "\u00C2\u00B0"}, // bytes that happen to be UTF-8 are still Latin-1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UTF8::fromLatin1(c.bytes), c.text);
        EXPECT_TRUE(UTF8::isValid(UTF8::fromLatin1(c.bytes)));
        EXPECT_EQ(UTF8::toLatin1(c.text), c.bytes);
    }
    for (const std::string bad : {"\u0100", "T\u4E2D", "\xB0", "\xC2", "\xF0\x9F\x98\x80"})
        EXPECT_FALSE(UTF8::toLatin1(bad)) << bad;
}
