#include "Classes/App/CurrentFanMode.h"
#include "Classes/App/QVEventMonitor.h"
#include "Classes/App/QVFan.h"
#include "Classes/App/VIZevUri.h"
#include "tests/App/ControlCoreTest.h"

#include <gtest/gtest.h>

using namespace Aerlo;

TEST(CurrentFanMode, RawValuesZeroToThreeOnly)
{
    EXPECT_EQ(currentFanModeFromRawValue(0), CurrentFanMode::auto_);
    EXPECT_EQ(currentFanModeFromRawValue(1), CurrentFanMode::max);
    EXPECT_EQ(currentFanModeFromRawValue(2), CurrentFanMode::forced);
    EXPECT_EQ(currentFanModeFromRawValue(3), CurrentFanMode::custom);
    EXPECT_EQ(currentFanModeFromRawValue(4), std::nullopt);
    EXPECT_EQ(currentFanModeFromRawValue(-1), std::nullopt);
    const QVFan record;
    EXPECT_EQ(record.beforeMode, CurrentFanMode::auto_);
    EXPECT_EQ(record.leftSpeed, 0);
}

using ShellTest = ControlCoreTest;

TEST_F(ShellTest, TerminationRestoresTheFansAndStopsTheMonitor)
{
    QVEventMonitor::resetShared();
    QVEventMonitor& monitor = QVEventMonitor::shared();
    EXPECT_EQ(monitor.appDelegate.lock(), delegate_);
    EXPECT_EQ(QVEventMonitor::addGlobalMonitor(1, {}), QVEventMonitor::Monitor{}) << "inert";
    monitor.globalMouseObserver = QVEventMonitor::Monitor{};
    fanCount = 2;
    delegate_->applicationWillTerminate();
    EXPECT_EQ(newFanMessages(), (std::vector<std::string>{modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_FALSE(monitor.globalMouseObserver.has_value());
    QVEventMonitor::resetShared();
    EXPECT_EQ(&VIZevUri::shared(), &VIZevUri::shared());
}
