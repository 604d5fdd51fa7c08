#include "Classes/Configure/SystemKit/Platform.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Aerlo;

namespace {
const std::vector<std::string> allRawValues {
    "intel", "m1",    "m1Pro", "m1Max",   "m1Ultra", "m2",    "m2Pro", "m2Max",   "m2Ultra",
    "m3",    "m3Pro", "m3Max", "m3Ultra", "m4",      "m4Pro", "m4Max", "m4Ultra",
};
}

TEST(Platform, RawValuesRoundTripInDeclarationOrder)
{
    ASSERT_EQ(allRawValues.size(), 17u);
    for (size_t i = 0; i < allRawValues.size(); ++i) {
        const auto platform = static_cast<Platform>(i);
        EXPECT_EQ(rawValue(platform), allRawValues[i]);
        EXPECT_EQ(platformFromRawValue(allRawValues[i]), platform) << allRawValues[i];
    }
}

TEST(Platform, ParsingIsExactAndCaseSensitive)
{
    for (const char* text : {"M1", "m1 ", " m1", "m1pro", "M1Pro", "m5", "Intel", ""})
        EXPECT_FALSE(platformFromRawValue(text).has_value()) << '"' << text << '"';
}

TEST(Platform, StaticListsKeepTheirOrder)
{
    const auto apple = Platforms::apple();
    ASSERT_EQ(apple.size(), 16u);
    EXPECT_EQ(std::count(apple.begin(), apple.end(), Platform::intel), 0);
    EXPECT_EQ(apple.front(), Platform::m1);
    EXPECT_EQ(apple.back(), Platform::m4Ultra);

    const auto all = Platforms::all();
    ASSERT_EQ(all.size(), 17u);
    EXPECT_EQ(all.back(), Platform::intel);
    EXPECT_TRUE(std::equal(apple.begin(), apple.end(), all.begin()));

    using V = std::vector<Platform>;
    EXPECT_EQ(Platforms::m1Family(), (V {Platform::m1, Platform::m1Pro, Platform::m1Max, Platform::m1Ultra}));
    EXPECT_EQ(Platforms::m2Family(), (V {Platform::m2, Platform::m2Pro, Platform::m2Max, Platform::m2Ultra}));
    EXPECT_EQ(Platforms::m3Family(), (V {Platform::m3, Platform::m3Pro, Platform::m3Max, Platform::m3Ultra}));
    EXPECT_EQ(Platforms::m4Family(), (V {Platform::m4, Platform::m4Pro, Platform::m4Max, Platform::m4Ultra}));
}

TEST(Platform, AnUndecidedPlatformCountsAsAppleSilicon)
{
    EXPECT_TRUE(isAppleSilicon(std::nullopt));
    EXPECT_FALSE(isAppleSilicon(Platform::intel));
    EXPECT_TRUE(isAppleSilicon(Platform::m1));
    EXPECT_TRUE(isAppleSilicon(Platform::m4Ultra));
}
