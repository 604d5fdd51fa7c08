#include "Classes/App/App.h"
#include "Classes/Configure/Global/CurrentFanMode.h"
#include "Classes/App/LogManager.h"
#include "Classes/App/LoginUserManager.h"
#include "Classes/App/QVHelpers.h"
#include "Classes/App/QVSystemPowerManager.h"
#include "Classes/App/ViewController.h"
#include "Classes/App/QVEventMonitor.h"
#include "Classes/App/QVFan.h"
#include "Platform/Kit/EventMonitor.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/App/ControlCoreTest.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <type_traits>

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

TEST(App, IsTheApplicationKitBuildsOnceMadeThePrincipalClass)
{
    Kit::Application::setPrincipalClass<App>();
    TestAccess::resetForTesting<Kit::Application>();
    Kit::Application& application = Kit::Application::shared();
    EXPECT_NE(dynamic_cast<App*>(&application), nullptr);
    // A reset builds the same class again.
    TestAccess::resetForTesting<Kit::Application>();
    EXPECT_NE(dynamic_cast<App*>(&Kit::Application::shared()), nullptr);
    Kit::Application::setPrincipalClass<Kit::Application>();
    TestAccess::resetForTesting<Kit::Application>();
    EXPECT_EQ(dynamic_cast<App*>(&Kit::Application::shared()), nullptr);

    // The inert members of the type set start empty.
    const QVSystemPowerManager power;
    EXPECT_EQ(power.assertionID, 0u);
    EXPECT_FALSE(power.isScreenOn);
    EXPECT_TRUE(LogManager().logFilePath.empty());
    static_assert(std::is_base_of_v<Kit::ViewController, ViewController> && std::is_empty_v<LoginUserManager>
        && std::is_empty_v<QVHelpers>);
}

using ShellTest = ControlCoreTest;

TEST_F(ShellTest, TerminationRestoresTheFansAndStopsTheMonitor)
{
    TestAccess::resetForTesting<QVEventMonitor>();
    QVEventMonitor& monitor = QVEventMonitor::shared();
    EXPECT_EQ(monitor.appDelegate.lock(), delegate_);
    EXPECT_EQ(QVEventMonitor::addGlobalMonitor(1, {}), QVEventMonitor::Monitor{}) << "inert";
    monitor.globalMouseObserver = QVEventMonitor::Monitor{};
    fanCount = 2;
    delegate_->applicationWillTerminate();
    EXPECT_EQ(newFanMessages(), (std::vector<std::string>{modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_FALSE(monitor.globalMouseObserver.has_value());
    TestAccess::resetForTesting<QVEventMonitor>();
}

using QVEventMonitorTest = Kit::Testing::KitTest;

TEST_F(QVEventMonitorTest, MonitorsAreRealAndRemovable)
{
    TestAccess::resetForTesting<QVEventMonitor>();
    const std::size_t kitMonitors = Kit::EventMonitor::localMonitorCount();
    std::vector<std::uint64_t> seen;
    const auto local = QVEventMonitor::addLocalMonitor(Kit::EventMonitor::any, [&](std::uint64_t mask) { seen.push_back(mask); });
    const auto global = QVEventMonitor::addGlobalMonitor(Kit::EventMonitor::any, [](std::uint64_t) {});
    EXPECT_NE(local.id, 0u);
    EXPECT_NE(global.id, local.id);
    EXPECT_EQ(QVEventMonitor::shared().globalMouseObserver, global);

    Kit::Window window({0, 0, 200, 100}, Kit::Window::titled);
    window.orderFront();
    Kit::Testing::EventInjector(window).click({50, 50});
    EXPECT_EQ(seen.front(), Kit::EventMonitor::maskFor(Kit::Event::Type::leftMouseDown));

    QVEventMonitor::shared().stop();
    EXPECT_EQ(QVEventMonitor::shared().monitorCount(), 1u);
    QVEventMonitor::removeMonitor(local);
    EXPECT_EQ(Kit::EventMonitor::localMonitorCount(), kitMonitors);
    const std::size_t clicks = seen.size();
    Kit::Testing::EventInjector(window).click({50, 50});
    EXPECT_EQ(seen.size(), clicks);

    QVEventMonitor::addLocalMonitor(Kit::EventMonitor::any, [](std::uint64_t) {});
    TestAccess::resetForTesting<QVEventMonitor>();
    EXPECT_EQ(Kit::EventMonitor::localMonitorCount(), kitMonitors) << "a reset removes what the monitor held";
}
