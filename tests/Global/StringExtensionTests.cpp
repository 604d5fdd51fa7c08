#include "Classes/Configure/Global/RegularExpression.h"
#include "Classes/Configure/Global/StringExtension.h"

#include <gtest/gtest.h>
#include <string>

using namespace Aerlo;

TEST(StringExtension, MatchesSearchesAnywhereAndRefusesBadPatterns)
{
    EXPECT_TRUE(matches("cpu0", "^cpu\\d"));
    EXPECT_TRUE(matches("cpu12@0", "^cpu\\d"));
    EXPECT_FALSE(matches("cpus", "^cpu\\d"));
    EXPECT_FALSE(matches("CPU0", "^cpu\\d")); // case matters
    EXPECT_TRUE(matches("x\xE5\xB7\xA6y", "\xE5\xB7\xA6")); // whole characters, not bytes
    EXPECT_TRUE(matches("a\xFF"
                        "b",
                        "a.b")); // a bad byte is one replacement character
    EXPECT_FALSE(matches("anything", "("));
    EXPECT_FALSE(matches("anything", "[z-a]"));
}

TEST(StringExtension, ReplacingMatchesIsCaseInsensitiveGlobalAndLiteral)
{
    EXPECT_EQ(replacingMatches("Apple M2 Pro", "Apple ", ""), "M2 Pro");
    EXPECT_EQ(replacingMatches("APPLE apple Apple", "apple", "x"), "x x x");
    EXPECT_EQ(replacingMatches("a1b22", "\\d+", "$1\\0"), "a$1\\0b$1\\0"); // the replacement is taken as it is
    EXPECT_EQ(replacingMatches("abc", "(", "x"), "abc");
    // A replacement longer than the text grows the result.
    EXPECT_EQ(replacingMatches("aaaa", "a", "0123456789"), "0123456789012345678901234567890123456789");
}

TEST(StringExtension, TruncatedAtNulAndTheForwards)
{
    EXPECT_EQ(truncatedAtNul(std::string("\x01 Apple M1\0garbage\0\0", 20)), "Apple M1");
    EXPECT_EQ(truncatedAtNul(std::string("\0\0", 2)), "");
    EXPECT_EQ(splitOnWhitespace("  Intel  Core\ti7 \n"), "Intel Core i7");
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" C02 \n"), "C02");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\xE3\x80\x80"
                                            "C02\xC2\xA0\xE2\x80\xA8"),
              "C02");
    EXPECT_EQ(trimmingControlCharacters(std::string("\0x86_64\0", 8)), "x86_64");
    EXPECT_EQ(trimmingControlCharacters("\xC2\xAD\xE2\x80\x8B"
                                        "a\x7F"),
              "a");
    // Any bytes: they are repaired first, so a bad byte is a character that ends the trim.
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \xFF "), "\xEF\xBF\xBD");
    EXPECT_EQ(trimmingControlCharacters("\x01\xC3\x01"), "\xEF\xBF\xBD");
    EXPECT_EQ(decodingUTF8("\xC3"), "\xEF\xBF\xBD");
}

TEST(RegularExpressionTest, CompilesOnceAndSaysWhyAPatternFails)
{
    const auto bad = RegularExpression::make("(unclosed");
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error(), "missing closing parenthesis at offset 9");

    const auto cores = RegularExpression::make("\\d+ cores");
    ASSERT_TRUE(cores.ok());
    const RegularExpression copy = *cores; // copies share the compiled pattern
    EXPECT_EQ(copy.firstMatch("Apple M2 (8 cores, 10 cores)"), "8 cores");
    EXPECT_EQ(copy.firstMatch("no cores"), std::nullopt);
    EXPECT_EQ(copy.replacingMatches("8 cores and 10 cores", "n"), "n and n");
    // The empty pattern matches everywhere; the text is repaired before the search.
    EXPECT_EQ(RegularExpression::make("")->firstMatch("\xFF"), "");
    EXPECT_TRUE(RegularExpression::make("\\x{FFFD}")->matches("a\xFF"));
}
