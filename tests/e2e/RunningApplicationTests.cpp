#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/HelperPaths.h"
#include "tests/KitX11/X11TestSupport.h"
#include "tests/Support/TestAccess.h"
#include "tests/e2e/RunningApplicationTest.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>

using X11TestSupport::waitUntil;

namespace {

using Aerlo::SettingsKey;

// Points of the fan window from its top left: the mode segments (system, maximum, manual, custom, each
// 72 wide from x 16, 54 to 80 from the top) and the more button.
constexpr QPoint manualSegment {196, 67};
constexpr QPoint customSegment {268, 67};
constexpr QPoint moreButton {285, 29};

// The rule's threshold: above every reading of the idle machine, below the hottest CPU under full load.
constexpr std::int64_t ruleThreshold = 70;
constexpr std::int64_t rulePercentage = 60;

// The settings the next start reads, written as another process's would be.
void writeSettings(std::int64_t selectedSegment)
{
    TestAccess::resetForTesting<Foundation::UserDefaults>(); // what the application wrote since
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    ASSERT_TRUE(defaults.set(std::int64_t {3000}, SettingsKey::leftFanSpeedAfterDrag));
    ASSERT_TRUE(defaults.set(selectedSegment, SettingsKey::fanModeSelectedSegment));
    Aerlo::QVFanRulesManager::saveFanRules(
        {{Aerlo::FanRule::anySensor, ruleThreshold, Aerlo::FanRule::allFans, rulePercentage}});
    ASSERT_TRUE(defaults.synchronize());
}

// Whether `entries` appear in `log` in this order from its index `from` on.
bool holdsInOrder(const std::vector<std::string>& log, std::size_t from, const std::vector<std::string>& entries)
{
    auto next = log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size()));
    for (const auto& entry : entries) {
        next = std::find(next, log.end(), entry);
        if (next == log.end())
            return false;
        ++next;
    }
    return true;
}

// How many pixels of `image` differ from its first one: a plain area has none.
int pixelsUnlikeTheFirst(const QImage& image)
{
    int count = 0;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != first;
    return count;
}

} // namespace

// Intel, two fans: the status item in the tray, the fan window from a click, manual and custom from its
// mode segments, the quit from its menu, then a killed run left to the daemon's watchdog.
TEST_F(RunningApplicationTest, TwoFanMachineFromTheTrayToTheWatchdog)
{
    startSimulator("mbp-intel-2fan");
    installHelper();
    writeSettings(0);
    launchApplication();

    // The helper is found at start-up; the status item appears in the tray with its texts as the tooltip.
    ASSERT_TRUE(awaitOutput("守护进程已安装")) << applicationOutput();
    std::optional<Window> icon;
    ASSERT_TRUE(waitUntil([&] { return (icon = trayIcon()) && icon->frame.y() < 40; }, 10)) << applicationOutput();
    const QPoint iconCentre = icon->frame.center();
    ASSERT_TRUE(movePointer(iconCentre));
    std::optional<Window> tip;
    EXPECT_TRUE(waitUntil(
        [&] {
            for (const auto& window : applicationWindows())
                if (window.id != icon->id)
                    tip = window;
            return tip.has_value();
        },
        10))
        << "a tooltip appears over the icon";
    const QImage statusItem = screenshot("status-item", {icon->frame.right() - 400, 0, 420, 80});
    EXPECT_GT(pixelsUnlikeTheFirst(statusItem), 100);

    // A click on the icon shows the two-fan window under it, with the sensor popup's readings.
    ASSERT_TRUE(click(iconCentre));
    std::optional<Window> window = awaitFanWindow();
    ASSERT_TRUE(window) << applicationOutput();
    // The panel, 400 tall, with the sensor popup's 400 under it.
    EXPECT_EQ(window->frame.size(), QSize(320, 800));
    // Centred under the icon and kept on the screen: the icon's column lies inside it.
    EXPECT_TRUE(window->frame.left() <= iconCentre.x() && iconCentre.x() <= window->frame.right());
    screenshot("popup", window->frame);

    // Manual: fan 0 at the saved 3000 rpm.
    const std::size_t beforeManual = helperLog().size();
    ASSERT_TRUE(click(window->frame.topLeft() + manualSegment));
    const auto manualMode = awaitLogEntry(modeEntry(0, 1), beforeManual);
    ASSERT_TRUE(manualMode) << testing::PrintToString(helperLog());
    EXPECT_TRUE(awaitLogEntry(speedEntry(0, 3000), *manualMode)) << testing::PrintToString(helperLog());
    nlohmann::json fans;
    EXPECT_TRUE(waitUntil([&] { return isForced(fans = fansAfterASecond(), 0) && target(fans, 0) == 3000; }, 10))
        << fans.dump() << testing::PrintToString(helperLog());
    if ((window = awaitFanWindow()))
        screenshot("two-fan-panel-manual", window->frame);

    // Custom: the rule drives both fans at 60 % of their own ranges once the CPU passes the threshold.
    ASSERT_TRUE(window);
    ASSERT_TRUE(click(window->frame.topLeft() + customSegment));
    control({"load", "1"});
    control({"advance", "40"});
    // The application reads each fan's minimum as 0: 60 % of the range from 0 to the fan's maximum.
    fans = snapshot()["fans"];
    std::vector<double> expected;
    for (const auto& fan : fans)
        expected.push_back(std::trunc(fan["max"].get<double>() * rulePercentage / 100.0));
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_TRUE(waitUntil(
        [&] {
            fans = fansAfterASecond();
            return isForced(fans, 0) && isForced(fans, 1) && target(fans, 0) == expected[0]
                   && target(fans, 1) == expected[1];
        },
        10))
        << fans.dump() << testing::PrintToString(helperLog());
    const auto log = helperLog();
    for (int fan = 0; fan < 2; ++fan)
        EXPECT_NE(std::find(log.begin(), log.end(), speedEntry(fan, static_cast<int>(expected[fan]))), log.end())
            << testing::PrintToString(log);
    if ((window = awaitFanWindow()))
        screenshot("two-fan-panel-custom", window->frame);
    control({"load", "0"});
    control({"advance", "120"});
    EXPECT_TRUE(waitUntil([&] { return everyFanAutomatic(fans = fansAfterASecond()); }, 10)) << fans.dump();

    // Force fan 0 again, then quit from the more menu: the restores reach the daemon before the exit.
    ASSERT_TRUE(window);
    ASSERT_TRUE(click(window->frame.topLeft() + manualSegment));
    ASSERT_TRUE(waitUntil([&] { return isForced(fans = fansAfterASecond(), 0); }, 10)) << fans.dump();
    const std::size_t beforeQuit = helperLog().size();
    ASSERT_TRUE(click(window->frame.topLeft() + moreButton));
    ASSERT_TRUE(waitUntil([&] { return applicationWindows().size() > 2; }, 5)) << "the more menu opens";
    ASSERT_TRUE(pressKeys({"Up", "Return"})); // its last item: quit
    ASSERT_TRUE(application_->waitUntilExit(10.0));
    EXPECT_EQ(application_->terminationReason(), Foundation::ProcessTerminationReason::exit);
    EXPECT_EQ(application_->terminationStatus(), 0);
    // The daemon logs a message before it answers, and the quit waits for the answers.
    EXPECT_TRUE(holdsInOrder(helperLog(), beforeQuit, {modeEntry(0, 0), modeEntry(1, 0)}))
        << testing::PrintToString(helperLog());
    EXPECT_TRUE(everyFanAutomatic(fans = fansAfterASecond())) << fans.dump();

    // A second run in manual mode, killed: the daemon's watchdog hands the fans back.
    writeSettings(2);
    launchApplication();
    ASSERT_TRUE(waitUntil([&] { return isForced(fans = fansAfterASecond(), 0) && target(fans, 0) == 3000; }, 10))
        << fans.dump() << applicationOutput();
    application_->signal(SIGKILL);
    QElapsedTimer sinceKill;
    sinceKill.start();
    EXPECT_TRUE(application_->waitUntilExit(5.0));
    // The watchdog acts within a second; the bound leaves room for a loaded machine.
    EXPECT_TRUE(waitUntil([&] { return everyFanAutomatic(fans = snapshot()["fans"]); }, 3)) << fans.dump();
    EXPECT_NE(helperLogText().find(R"("reason":"client ended")"), std::string::npos) << helperLogText();
    RecordProperty("watchdogMilliseconds", static_cast<int>(sinceKill.elapsed()));
}

// Apple silicon, one fan: the one-fan window, and SIGTERM taking the quit path with its restore.
TEST_F(RunningApplicationTest, OneFanMachineQuitsOnSigtermWithItsFanAutomatic)
{
    startSimulator("mini-m2-1fan");
    installHelper();
    writeSettings(2);
    launchApplication();

    nlohmann::json fans;
    ASSERT_TRUE(waitUntil([&] { return isForced(fans = fansAfterASecond(), 0) && target(fans, 0) == 3000; }, 10))
        << fans.dump() << applicationOutput() << testing::PrintToString(helperLog());
    std::optional<Window> icon;
    ASSERT_TRUE(waitUntil([&] { return (icon = trayIcon()).has_value(); }, 10));
    ASSERT_TRUE(click(icon->frame.center()));
    const std::optional<Window> window = awaitFanWindow();
    ASSERT_TRUE(window) << applicationOutput();
    // The one-fan panel, 250 tall, with the sensor popup's 400 under it.
    EXPECT_EQ(window->frame.size(), QSize(320, 650));
    screenshot("one-fan-panel", window->frame);

    // The more menu's first item puts the settings window in the fan window's place.
    ASSERT_TRUE(click(window->frame.topLeft() + moreButton));
    ASSERT_TRUE(waitUntil([&] { return applicationWindows().size() > 2; }, 5)) << "the more menu opens";
    ASSERT_TRUE(pressKeys({"Down", "Return"}));
    std::optional<Window> settings;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const auto& shown : applicationWindows())
                if (shown.frame.size() == QSize(900, 580))
                    settings = shown;
            return settings.has_value();
        },
        10))
        << applicationOutput();
    // Painted once it is mapped: more than a flat fill.
    EXPECT_TRUE(
        waitUntil([&] { return pixelsUnlikeTheFirst(screenshot("settings-window", settings->frame)) > 1000; }, 5));

    const std::size_t beforeQuit = helperLog().size();
    application_->terminate();
    ASSERT_TRUE(application_->waitUntilExit(10.0));
    EXPECT_EQ(application_->terminationReason(), Foundation::ProcessTerminationReason::exit);
    EXPECT_EQ(application_->terminationStatus(), 0);
    EXPECT_TRUE(holdsInOrder(helperLog(), beforeQuit, {modeEntry(0, 0)})) << testing::PrintToString(helperLog());
    EXPECT_TRUE(everyFanAutomatic(fans = fansAfterASecond())) << fans.dump();
}

// Two fans in manual mode, the daemon killed under the running application, then the SMC gone and a
// fresh one started: each time the fans fall back to automatic, and the application forces them again
// to the mode its panel shows. While the SMC is gone it says so once, and once when it is back.
TEST_F(RunningApplicationTest, AfterADaemonCrashOrAnSMCRestartTheFansFollowTheModeShownAgain)
{
    startSimulator("mbp-intel-2fan");
    installHelper();
    writeSettings(2);
    launchApplication();
    nlohmann::json fans;
    const auto manualInForce = [&] { return isForced(fans = fansAfterASecond(), 0) && target(fans, 0) == 3000; };
    ASSERT_TRUE(waitUntil(manualInForce, 10)) << fans.dump() << applicationOutput();

    std::ifstream pidFile(root_.path() / "var/run" / (std::string(Aerlo::SMCHelper::label) + ".pid"));
    pid_t daemon = 0;
    ASSERT_TRUE(pidFile >> daemon);
    ASSERT_EQ(::kill(daemon, SIGKILL), 0);
    EXPECT_TRUE(waitUntil([&] { return everyFanAutomatic(fans = snapshot()["fans"]); }, 3)) << fans.dump();
    EXPECT_TRUE(waitUntil(manualInForce, 10)) << fans.dump() << applicationOutput();
    EXPECT_TRUE(awaitOutput("The helper or the SMC came back: the fan mode in force is applied again."))
        << applicationOutput();

    stopSimulator();
    ASSERT_TRUE(awaitOutput("The SMC cannot be read: ")) << applicationOutput();
    startSimulator("mbp-intel-2fan");
    ASSERT_TRUE(awaitOutput("The SMC can be read again.")) << applicationOutput();
    EXPECT_TRUE(waitUntil(manualInForce, 10)) << fans.dump() << applicationOutput();
    const std::string output = applicationOutput();
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (auto at = output.find(text); at != std::string::npos; at = output.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("The SMC cannot be read: "), 1u) << output;
    EXPECT_EQ(count("The SMC can be read again."), 1u) << output;
    EXPECT_EQ(count("Error read("), 0u) << output;
}

// Two fans in manual mode, then the daemon and its keep-alive killed: nothing sets the fans automatic, and
// the application shows the forced mode and an alert that says so, never that they run automatic.
TEST_F(RunningApplicationTest, WithTheHelperAndItsKeepAliveKilledTheFansStillForcedAreShown)
{
    startSimulator("mbp-intel-2fan");
    installHelper();
    writeSettings(2);
    launchApplication();
    nlohmann::json fans;
    ASSERT_TRUE(waitUntil([&] { return isForced(fans = fansAfterASecond(), 0) && target(fans, 0) == 3000; }, 10))
        << fans.dump() << applicationOutput();
    std::optional<Window> icon;
    ASSERT_TRUE(waitUntil([&] { return (icon = trayIcon()).has_value(); }, 10)) << applicationOutput();
    ASSERT_TRUE(click(icon->frame.center()));
    std::optional<Window> window = awaitFanWindow();
    ASSERT_TRUE(window) << applicationOutput();
    const QImage manualShown =
        screenshot("helper-gone-manual-shown", QRect(window->frame.topLeft() + QPoint(16, 54), QSize(288, 26)));

    // The keep-alive first, so that nothing restores the fans or starts the daemon again.
    for (const auto& pidFile : {SystemPlatform::HelperPaths::keepAlivePidFile(Aerlo::SMCHelper::label),
                                SystemPlatform::HelperPaths::pidFile(Aerlo::SMCHelper::label)}) {
        std::ifstream file(pidFile);
        pid_t pid = 0;
        ASSERT_TRUE(file >> pid) << pidFile;
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
    }
    ASSERT_TRUE(awaitOutput("The helper did not come back: the fans are still forced.", 30)) << applicationOutput();
    EXPECT_TRUE(isForced(fans = fansAfterASecond(), 0)) << fans.dump();

    std::optional<Window> alert;
    EXPECT_TRUE(waitUntil(
        [&] {
            for (const auto& shown : applicationWindows())
                if (shown.id != icon->id && shown.id != window->id)
                    alert = shown;
            return alert.has_value();
        },
        10))
        << "the alert appears";
    ASSERT_TRUE(alert);
    screenshot("helper-gone-alert", alert->frame);
    // "Later" (its second button, at the bottom right); then the fan window again, the manual segment
    // still selected.
    ASSERT_TRUE(click(alert->frame.bottomRight() - QPoint(45, 22)));
    ASSERT_TRUE(waitUntil([&] { return !fanWindow() && applicationWindows().size() == 1; }, 10)) << "the alert goes";
    ASSERT_TRUE(click(icon->frame.center()));
    window = awaitFanWindow();
    ASSERT_TRUE(window) << applicationOutput();
    EXPECT_EQ(screenshot("helper-gone-forced-shown", QRect(window->frame.topLeft() + QPoint(16, 54), QSize(288, 26))),
              manualShown);
    EXPECT_EQ(applicationOutput().find("run automatic"), std::string::npos) << applicationOutput();
}
