#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/TextUtilities.h"

#include <gtest/gtest.h>

using Foundation::Base64;

namespace {

TEST(Base64, EncodesWithPaddingAndDecodesStrictly)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {std::string("\xff\xfe\x00", 3), "//4A"}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64::encode(plain), encoded);
        const auto decoded = Base64::decode(encoded);
        ASSERT_TRUE(decoded) << encoded;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), plain);
    }
    for (const char* bad : {"Zg=", "Zm9v\n", "Zm\n9v", " Zm9v", "Zm9v====", "Z===", "Zm-v", "Zg==Zg=="})
        EXPECT_FALSE(Base64::decode(bad)) << bad;
}

TEST(TextUtilities, TrimsWhiteSpaceThenControlCharacters)
{
    const std::pair<const char*, const char*> whiteSpace[] = {
        {"  a b \n\t", "a b"}, {"\u3000中文\u00A0", "中文"}, {"\x01 a", "\x01 a"}, {"", ""}, {" \n ", ""}};
    for (const auto& [text, expected] : whiteSpace)
        EXPECT_EQ(Foundation::trimmed(text), expected) << text;
    const std::pair<const char*, const char*> controls[] = {{"\x01\x7f{a}\u200B\n", "{a}"},
                                                            {" \x01"
                                                             "a",
                                                             " \x01"
                                                             "a"},
                                                            {"\u00AD\u0085x", "x"},
                                                            {"\x02", ""}};
    for (const auto& [text, expected] : controls)
        EXPECT_EQ(Foundation::trimmingControlCharacters(text), expected) << text;
    // An invalid sequence ends the trim and stays.
    EXPECT_EQ(Foundation::trimmed(" \xff "), "\xff");
}

} // namespace
