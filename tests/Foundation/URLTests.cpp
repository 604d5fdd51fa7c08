#include "Platform/Foundation/URL.h"

#include <gtest/gtest.h>
#include <string>

using Foundation::URL;

TEST(URLTest, ValidityFollowsTheCharacterRule)
{
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"", false},
        {"https://example.com/a?b=c&d=e#f", true},
        {"mailto:someone@example.com", true},
        {"http://[::1]:8080/", true},
        {"a-b._~!$&'()*+,;=:@/?", true},
        {"https://example.com/a b", false},
        {" https://example.com", false},
        {"https://example.com/\n", false},
        {"https://例子.com", false},
        {"https://example.com/%20", true},
        {"https://example.com/%2f%C3%A9", true},
        {"https://example.com/%", false},
        {"https://example.com/%2", false},
        {"https://example.com/%zz", false},
        {"https://example.com/%2g", false},
        {"a\"b", false},
        {"a<b>", false},
        {"a{b}", false},
        {"a|b", false},
        {"a\\b", false},
        {"a^b", false},
        {"a`b", false},
        {std::string("a\0b", 3), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(URL::isValid(c.text), c.valid) << c.text;
        const auto url = URL::string(c.text);
        ASSERT_EQ(url.has_value(), c.valid) << c.text;
        if (url) {
            EXPECT_EQ(url->absoluteString(), c.text);
        }
    }
}

TEST(URLTest, SchemeIsTheLowerCasedPartBeforeTheFirstColon)
{
    EXPECT_EQ(URL::string("HTTPS://example.com")->scheme(), "https");
    EXPECT_EQ(URL::string("x-app+v1.2:open")->scheme(), "x-app+v1.2");
    EXPECT_EQ(URL::string("example.com/path")->scheme(), "");
    EXPECT_EQ(URL::string("1http://a")->scheme(), "");
    EXPECT_EQ(URL::string(":nothing")->scheme(), "");
    EXPECT_EQ(URL::string("a_b:c")->scheme(), "");
}

TEST(URLTest, QueryEncodingKeepsQueryCharactersAndEncodesTheRestFromUTF8)
{
    EXPECT_EQ(URL::percentEncodedForQuery("fan speed"), "fan%20speed");
    EXPECT_EQ(URL::percentEncodedForQuery("a&b=c+d"), "a&b=c+d");
    EXPECT_EQ(URL::percentEncodedForQuery("k:@/?-._~!$'()*,;"), "k:@/?-._~!$'()*,;");
    EXPECT_EQ(URL::percentEncodedForQuery("风扇"), "%E9%A3%8E%E6%89%87");
    EXPECT_EQ(URL::percentEncodedForQuery("#%[]\"<>"), "%23%25%5B%5D%22%3C%3E");
    EXPECT_EQ(URL::percentEncodedForQuery(""), "");
    EXPECT_EQ(URL::percentEncodedForQuery("\xC3"), std::nullopt);
    EXPECT_EQ(URL::percentEncodedForQuery("\xED\xA0\x80"), std::nullopt);
    // Whatever it encodes is a valid URL tail.
    EXPECT_TRUE(URL::isValid("q=" + *URL::percentEncodedForQuery("a b\t风#%")));
}
