#include "Classes/App/Preferences.h"
#include "Classes/App/QVAppRunningChecker.h"
#include "Classes/App/TerminationSignals.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/SensorPopup.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/Window.h"
#include "Platform/Kit/WindowController.h"
#include "Platform/Kit/StatusBar.h"
#include "tests/Support/TestAccess.h"
#include "tests/App/AppShellTest.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

using namespace Aerlo;

namespace {

class StartupTest : public AppShellTest {
protected:
    void SetUp() override
    {
        AppShellTest::SetUp();
        useMachine("mbp-m1pro-2fan");
        delegate_->onStartupStep = [this](std::string_view step) { steps_.emplace_back(step); };
        Kit::Application::shared().setWillTerminate([this] { delegate_->applicationWillTerminate(); });
    }
    void TearDown() override
    {
        QVAppRunningChecker::shared().stopListening();
        AppShellTest::TearDown();
    }
    void launch()
    {
        delegate_->applicationDidFinishLaunching();
        driver_.runUntilIdle();
    }
    static void installHelperFile()
    {
        const auto path = Foundation::Paths::privilegedHelperTools() / std::string(SMCHelper::label);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "daemon";
    }
    // The two-fan window with a stand-in panel of `panel`, the status item set up.
    Kit::WindowController& twoFanWindow(Kit::Size panel)
    {
        registerStandInScenes(panel);
        fanCount = 2;
        delegate_->refreshSensors();
        delegate_->setUpStatusItem();
        delegate_->makeFanSpeedWindowController();
        return *delegate_->fanSpeedWindowController;
    }
    std::vector<std::string> steps_;
};

const std::vector<std::string> startupOrder {"tellOldCopyToQuit", "updateManager", "operatingSystemGate", "helperCheck",
    "checkHelperUpdate", "analytics", "startUpdaterAndLoginCheck", "firstLaunch", "refreshSensors", "tick",
    "makeFanSpeedWindowController", "setUpStatusItem", "updateStatusItemVisibility", "fanCount", "fillSensorNames",
    "startTimer", "scheduleRestart", "observeHiddenStatusBar", "observeTemperatureUnit", "observePowerAndLock"};

TEST_F(StartupTest, StepsRunInOrderAndTheFirstLaunchWritesItsDefaultsOnce)
{
    launch();
    EXPECT_EQ(steps_, startupOrder);
    const auto lines = console_.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "守护进程未安装。。。");
    // Analytics started, after the helper checks.
    EXPECT_EQ(lines.at(1), "首次安装");
    // The helper is neither installed nor asked for its version; no fan message goes out.
    EXPECT_TRUE(fanMessages().empty());
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    EXPECT_TRUE(defaults.boolValue(SettingsKey::isFirstLaunch));
    EXPECT_TRUE(defaults.boolValue(SettingsKey::isDisplayCPUStatusBar));
    EXPECT_EQ(fanCount, 2);
    EXPECT_TRUE(delegate_->timer);
    EXPECT_TRUE(QVAppRunningChecker::shared().isListening());
    // The status item shows the first tick, with its temperature.
    EXPECT_EQ(delegate_->statusBarItem->length(), 105);
    EXPECT_FALSE(delegate_->statusBarView->leftFanSpeedText->stringValue.empty());

    // A later launch finds the flag and leaves a changed setting alone.
    (void)defaults.set(false, SettingsKey::isDisplayCPUStatusBar);
    delegate_ = AppDelegate::make();
    launch();
    EXPECT_TRUE(defaults.boolValue(SettingsKey::isFirstLaunch));
    EXPECT_FALSE(defaults.boolValue(SettingsKey::isDisplayCPUStatusBar));
    EXPECT_EQ(delegate_->statusBarItem->length(), 70);
}

TEST_F(StartupTest, AnInstalledHelperIsAskedForItsVersion)
{
    installHelperFile();
    launch();
    const auto lines = console_.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "守护进程已安装");
    bool asked = false;
    for (const std::string& line : sent())
        asked = asked || line.starts_with("versionWithCompletion:");
    EXPECT_TRUE(asked) << ::testing::PrintToString(sent());
}

TEST_F(StartupTest, HiddenStatusBarWritesHideAndShowTheItemAtOnce)
{
    launch();
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    (void)defaults.set(true, SettingsKey::isHiddenStatusBar);
    EXPECT_FALSE(delegate_->statusBarItem->isVisible());
    (void)defaults.set(false, SettingsKey::isHiddenStatusBar);
    EXPECT_TRUE(delegate_->statusBarItem->isVisible());
}

TEST_F(StartupTest, StartingWithTheStatusItemHiddenOpensTheSettings)
{
    // A later start: the first-launch defaults are not written again.
    (void)Foundation::UserDefaults::standard().set(true, SettingsKey::isFirstLaunch);
    (void)Foundation::UserDefaults::standard().set(true, SettingsKey::isHiddenStatusBar);
    launch();
    EXPECT_FALSE(delegate_->statusBarItem->isVisible());
    ASSERT_TRUE(delegate_->preferences);
    EXPECT_TRUE(delegate_->preferences->isWindowVisible());
}

TEST_F(StartupTest, StartingWithTheStatusItemShownOpensNoWindow)
{
    launch();
    EXPECT_FALSE(delegate_->preferences);
}

TEST_F(StartupTest, TheTemperatureUnitNotificationSetsTheSignAndTicks)
{
    launch();
    (void)Foundation::UserDefaults::standard().set(std::int64_t {1}, SettingsKey::temperatureUnitIndex);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
    driver_.runUntilIdle();
    EXPECT_EQ(delegate_->temperatureUnit, "℉");
    EXPECT_TRUE(delegate_->statusBarView->temperatureText->stringValue.ends_with("℉"));
}

TEST_F(StartupTest, TheFanCountChoosesThePanelScene)
{
    registerStandInScenes();
    const struct {
        double fans;
        const char* scene;
    } rows[] = {{2, "two"}, {0, "single"}, {1, "single"}, {3, "single"}, {std::nan(""), "single"}};
    for (const auto& row : rows) {
        delegate_->fanSpeedWindowController.reset();
        builtScenes_.clear();
        fanCount = row.fans;
        console_.clear();
        delegate_->makeFanSpeedWindowController();
        EXPECT_EQ(builtScenes_, (std::vector<std::string> {row.scene})) << row.fans;
        EXPECT_TRUE(delegate_->fanSpeedWindowController);
        EXPECT_TRUE(console_.lines().empty());
    }
    // Made once: a second call builds nothing.
    delegate_->makeFanSpeedWindowController();
    EXPECT_EQ(builtScenes_.size(), 1u);
}

TEST_F(StartupTest, WrongOrMissingScenesPrintTheirErrors)
{
    fanCount = 2;
    delegate_->makeFanSpeedWindowController();
    EXPECT_FALSE(delegate_->fanSpeedWindowController);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"错误：fanSpeedWindowController 为 nil"}));
    // Clicking only creates, and showing without a controller does nothing.
    delegate_->statusBarItemClicked();
    delegate_->showFanSpeedWindow();
    EXPECT_EQ(Kit::Application::shared().activationCount(), 0);

    const auto wrongPanel = [](bool twoFans) {
        return [twoFans] {
            auto controller = std::make_shared<Kit::WindowController>(std::make_unique<Kit::Window>(Kit::Rect {0, 0, 10, 10}, 0u));
            controller->setContentViewController(std::make_shared<StandInPanel>(!twoFans, Kit::Size {10, 10}));
            return controller;
        };
    };
    Storyboard::registerWindowController("FanSpeedController", "", wrongPanel(true));
    Storyboard::registerWindowController("FanSpeedController", "SingleFanWindowController", wrongPanel(false));
    for (const double fans : {2.0, 1.0}) {
        console_.clear();
        fanCount = fans;
        delegate_->fanSpeedWindowController.reset();
        delegate_->makeFanSpeedWindowController();
        EXPECT_EQ(console_.lines(), (std::vector<std::string> {fans == 2 ? "错误：contentViewController 不是 FanSpeedController 类型"
                                                                         : "错误：contentViewController 不是 SingleFanController 类型"}));
        // Shown without the scroll view and popup.
        EXPECT_EQ(delegate_->fanSpeedWindowController->contentViewController()->view()->subviews().size(), 0u);
    }
}

TEST_F(StartupTest, TheFanWindowHoldsThePopupBelowThePanelAndOpensUnderTheItem)
{
    Kit::WindowController& controller = twoFanWindow({300, 200});
    EXPECT_EQ(controller.window()->contentSize(), (Kit::Size {300, 600}));
    const auto& panel = controller.contentViewController()->view();
    ASSERT_EQ(panel->subviews().size(), 1u);
    auto* scroll = dynamic_cast<Kit::ScrollView*>(panel->subviews()[0].get());
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->frame(), (Kit::Rect {10, 25, 280, 395}));
    auto popup = std::dynamic_pointer_cast<SensorPopup>(scroll->documentView());
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->frame().width(), 280);
    EXPECT_FALSE(popup->sensors().empty());
    // The popup's top shows.
    EXPECT_EQ(scroll->contentView().bounds().origin.y, popup->bounds().height() - scroll->contentView().bounds().height());

    // A click opens the window centred under the item, kept on the screen; the next closes it.
    delegate_->statusBarItem->setScreenFrame({1000, 850, 105, 24});
    const Kit::Rect button = delegate_->statusBarItem->screenFrame();
    delegate_->statusBarItemClicked();
    EXPECT_TRUE(controller.isWindowVisible());
    EXPECT_EQ(controller.window()->frame(), (Kit::Rect {button.x() + (button.width() - 300) * 0.5, button.y() - 600, 300, 600}));
    delegate_->statusBarItemClicked();
    EXPECT_FALSE(controller.isWindowVisible());
    // A tray at the bottom edge: the window stays on the screen.
    delegate_->statusBarItem->setScreenFrame({1400, 0, 24, 24});
    delegate_->statusBarItemClicked();
    EXPECT_EQ(controller.window()->frame(), (Kit::Rect {1140, 0, 300, 600}));
}

TEST_F(StartupTest, OnALowScreenTheFanWindowKeepsItsTitleRowAndFitsByShorteningTheSensorList)
{
    // One screen, its panel at the top.
    const auto useScreen = [](double width, double height, double panel, double scale) {
        Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector<Kit::Screen::Description> {
            {{0, 0, width, height}, {0, 0, width, height - panel}, scale, "Built-in", true, {}, {}}}));
    };
    useScreen(1366, 768, 24, 1);
    Kit::WindowController& controller = twoFanWindow({320, 400});
    auto* list = dynamic_cast<Kit::ScrollView*>(controller.contentViewController()->view()->subviews().at(0).get());
    ASSERT_TRUE(list);
    delegate_->statusBarItem->setScreenFrame({1200, 744, 105, 24});
    delegate_->statusBarItemClicked();
    ASSERT_TRUE(controller.isWindowVisible());
    // 800 points of panel on 744: the list gives up 56, the rest keeps its size, all of it on the screen.
    EXPECT_EQ(controller.window()->frame().maxY(), 744);
    EXPECT_EQ(controller.window()->frame().height(), 744);
    EXPECT_EQ(list->frame(), (Kit::Rect {10, 25, 300, 339}));
    delegate_->statusBarItemClicked();

    // On a screen lower than the rest of the panel the list goes and the title row stays on the screen.
    useScreen(640, 400, 12, 2);
    delegate_->statusBarItem->setScreenFrame({500, 388, 60, 12});
    delegate_->statusBarItemClicked();
    EXPECT_EQ(controller.window()->frame().maxY(), 388);
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(controller.window()->frame().height(), 405);
    delegate_->statusBarItemClicked();

    // A large screen: the whole list again.
    useScreen(1920, 1080, 24, 1);
    delegate_->statusBarItem->setScreenFrame({1700, 1056, 105, 24});
    const Kit::Rect button = delegate_->statusBarItem->screenFrame();
    delegate_->statusBarItemClicked();
    EXPECT_FALSE(list->isHidden());
    EXPECT_EQ(list->frame().height(), 395);
    EXPECT_EQ(controller.window()->frame(), (Kit::Rect {button.x() + (button.width() - 320) * 0.5, button.y() - 800, 320, 800}));
}

TEST_F(StartupTest, WithoutATrayTheFanPanelOpensAsAWindowAndOneLineSaysWhy)
{
    // A presenter that finds no tray on the desktop.
    struct NoTray final : Kit::StatusBar::ItemPresenter {
        bool isShownOnDesktop() const override { return false; }
    };
    TestAccess::resetForTesting<Kit::StatusBar>([](Kit::StatusItem&) { return std::make_unique<NoTray>(); });
    registerStandInScenes({300, 200});
    launch();
    const auto lines = console_.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                  "The desktop shows no tray icons: the fan panel opens as a window of its own."),
        1);
    ASSERT_TRUE(delegate_->fanSpeedWindowController);
    EXPECT_TRUE(delegate_->fanSpeedWindowController->isWindowVisible());
}

TEST_F(StartupTest, ReopenOpensTheSettingsNeverTheFanWindow)
{
    registerStandInScenes();
    fanCount = 2;
    delegate_->makeFanSpeedWindowController();
    EXPECT_TRUE(delegate_->applicationShouldHandleReopen(false));
    EXPECT_TRUE(delegate_->applicationShouldHandleReopen(true));
    ASSERT_TRUE(delegate_->preferences);
    EXPECT_TRUE(delegate_->preferences->isWindowVisible());
    EXPECT_FALSE(delegate_->fanSpeedWindowController->isWindowVisible());
}

TEST_F(StartupTest, CtrlCommaInTheFanWindowClosesItAndOpensTheSettings)
{
    registerStandInScenes();
    fanCount = 2;
    delegate_->applicationWillFinishLaunching();
    delegate_->makeFanSpeedWindowController();
    delegate_->showFanSpeedWindow();
    ASSERT_TRUE(delegate_->fanSpeedWindowController->isWindowVisible());
    QWindow* panel = delegate_->fanSpeedWindowController->window()->qtWidget()->windowHandle();
    QTest::keyClick(panel, Qt::Key_Comma);
    EXPECT_FALSE(delegate_->preferences);
    QTest::keyClick(panel, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_TRUE(delegate_->preferences);
    EXPECT_TRUE(delegate_->preferences->isWindowVisible());
    EXPECT_FALSE(delegate_->fanSpeedWindowController->isWindowVisible());
}

TEST_F(StartupTest, QuitRestoresAndFlushesOnceHoweverItIsAsked)
{
    launch();
    newFanMessages();
    Kit::Application::shared().terminate();
    Kit::Application::shared().terminate();
    Kit::Application::shared().runWillTerminateOnce();
    // Sent and answered before the process may go.
    EXPECT_EQ(newFanMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_TRUE(helper().flush(0));
    EXPECT_EQ(quits_, 1);
}

TEST_F(StartupTest, TerminationSignalsTakeTheOrderlyQuit)
{
    launch();
    newFanMessages();
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        std::vector<int> seen;
        TerminationSignals routed([&](int received) {
            seen.push_back(received);
            Kit::Application::shared().terminate();
        });
        ::raise(number);
        for (int i = 0; i < 1000 && seen.empty(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_EQ(seen, (std::vector<int> {number}));
    }
    // The first signal quit; the later ones found the quit under way.
    EXPECT_EQ(newFanMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(quits_, 1);
}

TEST_F(StartupTest, ASecondCopyAsksTheFirstToQuitAndWaitsUntilItIsGone)
{
    QVAppRunningChecker first;
    std::atomic<int> asked {0};
    first.setQuitHandler([&] { ++asked; });
    first.postTellOldSameAppToQuit();
    ASSERT_TRUE(first.isListening());

    std::atomic<bool> secondDone {false};
    QVAppRunningChecker second;
    std::thread launch([&] {
        second.postTellOldSameAppToQuit();
        secondDone = true;
    });
    for (int i = 0; i < 2000 && asked == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(asked, 1);
    // The first copy still holds on: the second waits.
    EXPECT_FALSE(secondDone);
    first.stopListening();
    launch.join();
    EXPECT_TRUE(secondDone);
    EXPECT_TRUE(second.isListening());
    EXPECT_FALSE(first.isListening());
    second.stopListening();
}

} // namespace
