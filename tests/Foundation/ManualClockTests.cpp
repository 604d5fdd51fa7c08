#include "Platform/Foundation/ManualClock.h"

#include <gtest/gtest.h>
#include <limits>

TEST(ManualClock, MovesOnlyWhenAdvancedAndWallChangesLeaveMonotonicAlone)
{
    Foundation::ManualClock clock(2000.0, 10.0);
    EXPECT_DOUBLE_EQ(clock.now(), 10.0);
    EXPECT_DOUBLE_EQ(clock.wallTime(), 2000.0);
    clock.advance(1.5);
    EXPECT_DOUBLE_EQ(clock.now(), 11.5);
    EXPECT_DOUBLE_EQ(clock.wallTime(), 2001.5);
    clock.advance(-3);
    clock.advance(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(clock.now(), 11.5);
    clock.setWallTime(100.0);
    EXPECT_DOUBLE_EQ(clock.wallTime(), 100.0);
    EXPECT_DOUBLE_EQ(clock.now(), 11.5);
}

TEST(ManualClock, AdvanceToMovesOnlyForward)
{
    Foundation::ManualClock clock(2000.0, 10.0);
    clock.advanceTo(12.25);
    EXPECT_DOUBLE_EQ(clock.now(), 12.25);
    EXPECT_DOUBLE_EQ(clock.wallTime(), 2002.25);
    clock.advanceTo(11.0);
    clock.advanceTo(std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(clock.now(), 12.25);
}
