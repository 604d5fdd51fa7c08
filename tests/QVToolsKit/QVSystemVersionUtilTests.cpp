#include "QVToolsKit/QVSystemVersionUtil.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"

#include <gtest/gtest.h>

namespace QVToolsKit {
struct QVSystemVersionUtilAccess {
    static QVSystemVersionUtil::Version parse(std::string_view text) { return QVSystemVersionUtil::parseVersion(text); }
};
} // namespace QVToolsKit

using QVToolsKit::QVSystemVersionUtil;
using Version = QVSystemVersionUtil::Version;

namespace {

TEST(QVSystemVersionUtil, ParsesPiecesInPlaceAndCountsBadPiecesAsZero)
{
    const std::pair<const char*, Version> cases[] = {
        {"14.2.1", {14, 2, 1}},
        {"15.x", {15, 0, 0}},
        {"abc", {0, 0, 0}},
        {"", {0, 0, 0}},
        {"14..2", {14, 2, 0}},
        {".14.2.", {14, 2, 0}},
        {"1b.3", {0, 3, 0}},
        {"+5.-1", {5, -1, 0}},
        {"+-5", {0, 0, 0}},
        {"14.0.0.9", {14, 0, 0}},
        {"99999999999999999999.1", {0, 1, 0}},
        {" 14.1", {0, 1, 0}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(QVToolsKit::QVSystemVersionUtilAccess::parse(text), expected) << text;
}

TEST(QVSystemVersionUtil, ComparesTheProfileVersionWithTexts)
{
    struct Case {
        const char* current;
        const char* text;
        bool equal, atLeast, atMost, greater, less;
    };
    const Case cases[] = {
        {"14.0", "14", true, true, true, false, false},        {"14.0", "14.0.0.9", true, true, true, false, false},
        {"14.1", "14", false, true, false, true, false},       {"13.6.1", "13.6", false, true, false, true, false},
        {"13.6.1", "abc", false, true, false, true, false},    {"13.6.1", "", false, true, false, true, false},
        {"13.6.1", "13.6.2", false, false, true, false, true}, {"15.0", "15.x", true, true, true, false, false},
    };
    for (const Case& c : cases) {
        OperatingSystemVersion pinned(c.current);
        const std::string label = std::string(c.current) + " vs " + c.text;
        EXPECT_EQ(QVSystemVersionUtil::isEqualTo(c.text), c.equal) << label;
        EXPECT_EQ(QVSystemVersionUtil::isAtLeast(c.text), c.atLeast) << label;
        EXPECT_EQ(QVSystemVersionUtil::isAtMost(c.text), c.atMost) << label;
        EXPECT_EQ(QVSystemVersionUtil::isGreaterThan(c.text), c.greater) << label;
        EXPECT_EQ(QVSystemVersionUtil::isLessThan(c.text), c.less) << label;
    }
}

TEST(QVSystemVersionUtil, RangeBoundsAreInclusiveAndMajorChecksIgnoreTheRest)
{
    OperatingSystemVersion pinned("13.6.1");
    EXPECT_EQ(QVSystemVersionUtil::currentVersion(), (Version {13, 6, 1}));
    EXPECT_TRUE(QVSystemVersionUtil::isCurrentVersion({13, 6, 1}, {14, 0, 0}));
    EXPECT_TRUE(QVSystemVersionUtil::isCurrentVersion({12, 0, 0}, {13, 6, 1}));
    EXPECT_FALSE(QVSystemVersionUtil::isCurrentVersion({13, 6, 2}, {14, 0, 0}));
    EXPECT_FALSE(QVSystemVersionUtil::isCurrentVersion({12, 0, 0}, {13, 6, 0}));
    EXPECT_FALSE(QVSystemVersionUtil::isCurrentVersion({14, 0, 0}, {12, 0, 0}));
    EXPECT_TRUE(QVSystemVersionUtil::isMajorVersion(13));
    EXPECT_FALSE(QVSystemVersionUtil::isMajorVersion(14));
    EXPECT_TRUE(QVSystemVersionUtil::isAtLeastMajor(13));
    EXPECT_TRUE(QVSystemVersionUtil::isAtLeastMajor(12));
    EXPECT_FALSE(QVSystemVersionUtil::isAtLeastMajor(14));
}

TEST(QVSystemVersionUtil, CurrentVersionIsReadAfreshButIs26OrLaterKeepsItsFirstValue)
{
    OperatingSystemVersion pinned("14.5");
    const bool first = QVSystemVersionUtil::is26OrLater();
    EXPECT_FALSE(first);
    OperatingSystemVersion::set("26.1");
    EXPECT_EQ(QVSystemVersionUtil::currentVersion(), (Version {26, 1, 0}));
    EXPECT_EQ(QVSystemVersionUtil::is26OrLater(), first);
}

} // namespace
