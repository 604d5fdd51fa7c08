#include "Classes/Configure/Global/CommandRunner.h"
#include "Classes/Configure/Global/QVMemorySizeFormatter.h"
#include "Classes/Configure/Global/RegularExpression.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "tests/Support/ConsoleCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace Aerlo;

TEST(MemorySizeFormatter, StepsOfTheBase)
{
    const struct {
        std::uint64_t bytes;
        double base;
        const char* text;
    } cases[] = {
        {0, 1024, "0 KB"},
        {1023, 1024, "0 KB"},
        {1024, 1024, "1 KB"},
        {1536, 1024, "2 KB"},
        {1048575, 1024, "1024 KB"},
        {1048576, 1024, "1 MB"},
        {1073741824, 1024, "1.0 GB"},
        {1099511627776, 1024, "1.0 TB"},
        {UINT64_MAX, 1024, "16777216.0 TB"},
        {1500, 1000, "2 KB"},
        {2500000000, 1000, "2.5 GB"},
        // A base that cannot give whole powers within 64 bits counts as 1024.
        {1536, 0.5, "2 KB"},
        {1536, std::nan(""), "2 KB"},
        {1536, INFINITY, "2 KB"},
        {1536, 65536, "2 KB"},
        {1536, -3, "2 KB"},
        {3, 1, "3.0 TB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVMemorySizeFormatter::format(c.bytes, c.base), c.text) << c.bytes << " base " << c.base;
}

TEST(StringHelpers, MatchesDigitsAndBuffers)
{
    EXPECT_EQ(firstMatch("Model: \t MacBook Pro \t\n", "Model:.*"), "Model: \t MacBook Pro");
    EXPECT_EQ(firstMatch("abc", "x+"), "");
    EXPECT_EQ(firstMatch("abc", "(unclosed"), "");
    EXPECT_EQ(firstMatch("  12  ", "\\s*\\d+\\s*"), "12");

    // Unicode decimal digits (Nd) stay: Arabic-Indic and fullwidth digits too; other numbers do not.
    EXPECT_EQ(digitsOnly("a1b2 ٣４½Ⅳ"), "12٣４");
    EXPECT_EQ(digitsOnly(""), "");

    EXPECT_EQ(splitOnWhitespace(" \tone\n\ntwo  three\t"), "one two three");

    const char withNul[8] = {'a', 'b', 0, 'c', 'd', 0, 0, 0};
    EXPECT_EQ(cCharTuple(withNul, sizeof withNul), "ab");
    // No NUL: the whole buffer, nothing read beyond it (a heap buffer of exact size for the sanitizers).
    auto exact = std::make_unique<char[]>(4);
    std::memcpy(exact.get(), "wxyz", 4);
    EXPECT_EQ(cCharTuple(exact.get(), 4), "wxyz");
    const char invalid[3] = {'o', '\xff', 'k'};
    EXPECT_EQ(cCharTuple(invalid, sizeof invalid), "o\uFFFDk");
}

TEST(StringHelpers, AnInvalidPatternIsAnErrorValue)
{
    const auto good = RegularExpression::make("fan\\d", RegularExpression::caseInsensitive);
    ASSERT_TRUE(good.ok());
    EXPECT_TRUE(good->matches("FAN1"));
    EXPECT_EQ(good->firstMatch("a fan2 fan3"), "fan2");
    EXPECT_FALSE(RegularExpression::make("fan\\d")->matches("FAN1"));
    const auto bad = RegularExpression::make("(unclosed");
    ASSERT_FALSE(bad.ok());
    EXPECT_NE(bad.error().find("at offset"), std::string::npos) << bad.error();
}

TEST(CommandRunner, OutputSilenceAndFailure)
{
    ConsoleCapture console;
    EXPECT_EQ(runCommand("/bin/true", {}), std::nullopt);
    EXPECT_EQ(runCommand("/bin/printf", {"a\\377b"}), "a\uFFFDb");
    const auto big = runCommand("/bin/sh", {"-c", "head -c 1048576 /dev/zero | tr '\\0' x"});
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size(), 1048576u);
    EXPECT_EQ(big->find_first_not_of('x'), std::string::npos);
    EXPECT_EQ(console.output(), "");

    EXPECT_EQ(runCommand("/nonexistent/tool", {}), std::nullopt);
    EXPECT_NE(console.output().find("system_profiler SPMemoryDataType: "), std::string::npos) << console.output();
}
