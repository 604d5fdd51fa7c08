#include "Classes/Sensors/SizeUnit.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Aerlo;

TEST(SizeUnit, FiveUnitsInOrder)
{
    const auto units = SizeUnit::allCases();
    ASSERT_EQ(units.size(), 5u);
    const char* keys[] = {"byte", "KB", "MB", "GB", "TB"};
    const char* values[] = {"Bytes", "KB", "MB", "GB", "TB"};
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(units[i].key, keys[i]);
        EXPECT_EQ(units[i].value, values[i]);
    }
    EXPECT_EQ(SizeUnit::KB(), (SizeUnit {"KB", "Kilobytes"})) << "equal by key";
    EXPECT_NE(SizeUnit::KB(), SizeUnit::MB());
}

TEST(SizeUnit, LookupIsExact)
{
    EXPECT_EQ(SizeUnit::lookup("KB", SizeUnit::byte()).value, "KB");
    EXPECT_EQ(SizeUnit::lookup("kb", SizeUnit::GB()).key, "GB");
    EXPECT_EQ(SizeUnit::lookup("Bytes", SizeUnit::TB()).key, "TB");
    EXPECT_EQ(SizeUnit::lookup("byte", SizeUnit::TB()).key, "byte");
}

TEST(SizeUnit, ToBytesSaturates)
{
    EXPECT_EQ(SizeUnit::toBytes(3, "GB"), int64_t(3) << 30);
    EXPECT_EQ(SizeUnit::toBytes(3, "KB"), 3072);
    EXPECT_EQ(SizeUnit::toBytes(2, "TB"), int64_t(2) << 40);
    EXPECT_EQ(SizeUnit::toBytes(3, "Bytes"), 3);
    EXPECT_EQ(SizeUnit::toBytes(3, "byte"), 3);
    EXPECT_EQ(SizeUnit::toBytes(3, "gb"), 3);
    EXPECT_EQ(SizeUnit::toBytes(-2, "MB"), -(int64_t(2) << 20));

    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(SizeUnit::toBytes(max >> 40, "TB"), (max >> 40) << 40);
    EXPECT_EQ(SizeUnit::toBytes((max >> 40) + 1, "TB"), max);
    EXPECT_EQ(SizeUnit::toBytes(max, "KB"), max);
    EXPECT_EQ(SizeUnit::toBytes(min, "KB"), min);
    EXPECT_EQ(SizeUnit::toBytes(max, "byte"), max);
}
