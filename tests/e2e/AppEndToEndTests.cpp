#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/FanControl/FanRule.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/AuthorizationProvider.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/ScriptedAuthorizationProvider.h"
#include "tests/KitX11/X11TestSupport.h"
#include "tests/Support/TempRoot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using X11TestSupport::clickAt;
using X11TestSupport::waitUntil;

std::string fileText(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

std::vector<std::string> xdotool(const std::vector<std::string>& arguments)
{
    const auto result = Foundation::Process::run("/usr/bin/xdotool", arguments);
    std::vector<std::string> lines;
    std::istringstream text(result.stdout_);
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

Geometry geometryOf(const std::string& window)
{
    Geometry g;
    for (const auto& line : xdotool({"getwindowgeometry", "--shell", window})) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        if (key == "X")
            g.x = value;
        else if (key == "Y")
            g.y = value;
        else if (key == "WIDTH")
            g.width = value;
        else if (key == "HEIGHT")
            g.height = value;
    }
    return g;
}

// The real application with the real daemon, installed into a temporary root, on smcsim's two-fan
// Intel machine; screenshots under build/test-renders/e2e/.
class AppEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("AERLO_ROOT", root_.path().c_str(), 1);
        ::unsetenv("AERLO_SMC");
        Foundation::ProcessOptions quiet;
        quiet.standardOutput = Foundation::ProcessOutput::discard;
        quiet.standardError = Foundation::ProcessOutput::discard;
        simulator_ = std::make_unique<Foundation::Process>(AERLO_SMCSIM,
            std::vector<std::string> {"--profile", profile_, "--manual-clock"}, quiet);
        ASSERT_TRUE(simulator_->run().ok());
        ASSERT_TRUE(waitUntil([] { return snapshot().is_object(); }, 10)) << "smcsim serves";

        auto authorization = std::make_shared<SystemPlatform::ScriptedAuthorizationProvider>();
        SystemPlatform::AuthorizationProvider::setShared(authorization);
        std::vector<bool> outcomes;
        Aerlo::SMCHelper::shared().installHelper([&](bool installed) { outcomes.push_back(installed); });
        ASSERT_EQ(outcomes, std::vector<bool> {true});
        ASSERT_TRUE(waitUntil(
            [] { return fs::exists(SystemPlatform::HelperPaths::socket(Aerlo::SMCHelper::label)); }, 10));

        auto& defaults = Foundation::UserDefaults::standard();
        ASSERT_TRUE(defaults.set(std::int64_t {3000}, Aerlo::SettingsKey::leftFanSpeedAfterDrag));
        // Above every idle reading; a loaded CPU passes it.
        Aerlo::QVFanRulesManager::saveFanRules({Aerlo::FanRule {"Any Sensor", ruleThreshold, "All Fans", 60}});
        fs::create_directories(renders_);
    }
    void TearDown() override
    {
        if (app_ && app_->isRunning()) {
            app_->terminate();
            (void)app_->waitUntilExit(10);
        }
        if (simulator_) {
            simulator_->terminate();
            (void)simulator_->waitUntilExit(5);
        }
        SystemPlatform::AuthorizationProvider::setShared(nullptr);
        Aerlo::SMCHelper::resetShared();
    }

    static nlohmann::json snapshot()
    {
        const auto result = Foundation::Process::run(AERLO_SMCSIM, {"ctl", "snapshot"});
        return nlohmann::json::parse(result.stdout_, nullptr, false);
    }
    // True when smcsim answers and none of its fans is forced.
    static bool noFanForced()
    {
        const auto machine = snapshot();
        if (!machine.is_object() || !machine["fans"].is_array())
            return false;
        for (const auto& fan : machine["fans"])
            if (fan.value("forced", true))
                return false;
        return true;
    }
    // What the daemon received, as "<selector> <arguments>".
    static std::vector<std::string> received()
    {
        std::vector<std::string> lines;
        std::ifstream log(SystemPlatform::HelperPaths::logFile(Aerlo::SMCHelper::label));
        for (std::string line; std::getline(log, line);) {
            const auto record = nlohmann::json::parse(line, nullptr, false);
            if (record.is_object() && record.value("event", std::string()) == "message")
                lines.push_back(record.value("sel", std::string()) + " " + record.value("args", nlohmann::json()).dump());
        }
        return lines;
    }
    static bool receivedLine(const std::string& line)
    {
        const auto lines = received();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    void startApp()
    {
        Foundation::ProcessOptions options;
        options.standardOutput = Foundation::ProcessOutput::discard;
        options.standardError = Foundation::ProcessOutput::discard;
        app_ = std::make_unique<Foundation::Process>("/bin/sh",
            std::vector<std::string> {"-c", std::string("exec \"") + AERLO_APP + "\" > \"" + output_.string() + "\" 2>&1"},
            options);
        ASSERT_TRUE(app_->run().ok());
    }
    std::string output() const { return fileText(output_); }
    void screenshot(const std::string& name)
    {
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString((renders_ / (name + ".png")).string()));
    }
    // The status item's icon in the tray (a small window of the application).
    static bool trayIcon(Geometry& icon)
    {
        for (const auto& window : xdotool({"search", "--class", "Aerlo"})) {
            icon = geometryOf(window);
            if (icon.width >= 16 && icon.width <= 32 && icon.height >= 16 && icon.height <= 32)
                return true;
        }
        return false;
    }
    // The application's visible window of the width, if any.
    static std::optional<Geometry> windowOfWidth(int width)
    {
        for (const auto& window : xdotool({"search", "--onlyvisible", "--class", "Aerlo"})) {
            const Geometry g = geometryOf(window);
            if (g.width == width)
                return g;
        }
        return std::nullopt;
    }

    static constexpr std::int64_t ruleThreshold = 75;
    std::string profile_ = "mbp-intel-2fan";
    TempRoot root_;
    fs::path output_ = root_.path() / "aerlo.out";
    fs::path renders_ = fs::path(AERLO_BINARY_DIR) / "test-renders" / "e2e";
    std::unique_ptr<Foundation::Process> simulator_;
    std::unique_ptr<Foundation::Process> app_;
};

TEST_F(AppEndToEndTest, ManualModeFromThePanelThenQuitHandsTheFansBack)
{
    startApp();
    ASSERT_TRUE(waitUntil([&] { return output().find("守护进程已安装") != std::string::npos; }, 15)) << output();
    // The status item's icon, embedded in the tray.
    Geometry tray;
    ASSERT_TRUE(waitUntil([&] { return trayIcon(tray); }, 10));
    waitUntil([] { return false; }, 1.5);
    screenshot("status-item");

    // The icon opens the fan window under it.
    ASSERT_TRUE(clickAt({tray.x + tray.width / 2, tray.y + tray.height / 2}));
    std::optional<Geometry> panel;
    ASSERT_TRUE(waitUntil([&] { return (panel = windowOfWidth(320)).has_value(); }, 10)) << output();
    waitUntil([] { return false; }, 1.0);
    screenshot("two-fan-panel");

    // The manual segment (the third of four across 288 points from x 16, 54 points down).
    ASSERT_TRUE(clickAt({panel->x + 16 + 72 * 2 + 36, panel->y + 67}));
    ASSERT_TRUE(waitUntil([] {
        return receivedLine("setFanModeWithId:mode:completion: [0,1]")
            && receivedLine("setFanSpeedWithId:value:completion: [0,3000]");
    }, 10)) << nlohmann::json(received()).dump(1);
    nlohmann::json machine;
    EXPECT_TRUE(waitUntil([&] {
        (void)Foundation::Process::run(AERLO_SMCSIM, {"ctl", "advance", "0.5"});
        machine = snapshot();
        return machine.is_object() && machine["fans"][0].value("target", 0.0) == 3000.0
            && machine["fans"][0].value("forced", false);
    }, 5)) << machine["fans"].dump(1);

    // Custom: the rule drives both fans at 60 % of their maxima once the loaded CPU passes it, and
    // hands them back once it cools.
    ASSERT_TRUE(clickAt({panel->x + 16 + 72 * 3 + 36, panel->y + 67}));
    (void)Foundation::Process::run(AERLO_SMCSIM, {"ctl", "load", "1"});
    (void)Foundation::Process::run(AERLO_SMCSIM, {"ctl", "advance", "120"});
    EXPECT_TRUE(waitUntil([] {
        return receivedLine("setFanSpeedWithId:value:completion: [0,3693]")
            && receivedLine("setFanSpeedWithId:value:completion: [1,3420]");
    }, 10)) << snapshot()["temperatures"].dump();
    (void)Foundation::Process::run(AERLO_SMCSIM, {"ctl", "load", "0"});
    (void)Foundation::Process::run(AERLO_SMCSIM, {"ctl", "advance", "600"});
    EXPECT_TRUE(waitUntil([] { return noFanForced(); }, 10)) << snapshot()["temperatures"].dump();

    // Quit from the more menu: its last item.
    const std::size_t before = received().size();
    ASSERT_TRUE(clickAt({panel->x + 320 - 48 + 13, panel->y + 29}));
    waitUntil([] { return false; }, 0.5);
    xdotool({"key", "Up", "Return"});
    ASSERT_TRUE(app_->waitUntilExit(15)) << output();
    EXPECT_EQ(app_->terminationStatus(), 0);
    const auto after = received();
    const std::vector<std::string> restores(after.begin() + static_cast<long>(std::min(before, after.size())), after.end());
    EXPECT_NE(std::find(restores.begin(), restores.end(), "setFanModeWithId:mode:completion: [0,0]"), restores.end());
    EXPECT_NE(std::find(restores.begin(), restores.end(), "setFanModeWithId:mode:completion: [1,0]"), restores.end());
    ASSERT_TRUE(waitUntil([] { return noFanForced(); }, 5));
}

class OneFanEndToEndTest : public AppEndToEndTest {
protected:
    OneFanEndToEndTest() { profile_ = "imac-intel-1fan"; }
};

TEST_F(OneFanEndToEndTest, TheIconOpensTheOneFanPanel)
{
    startApp();
    ASSERT_TRUE(waitUntil([&] { return output().find("守护进程已安装") != std::string::npos; }, 15)) << output();
    Geometry tray;
    ASSERT_TRUE(waitUntil([&] { return trayIcon(tray); }, 10));
    ASSERT_TRUE(clickAt({tray.x + tray.width / 2, tray.y + tray.height / 2}));
    std::optional<Geometry> panel;
    ASSERT_TRUE(waitUntil([&] { return (panel = windowOfWidth(320)).has_value(); }, 10)) << output();
    // The one-fan panel is 250 points tall, with the sensor popup's 400 under it.
    EXPECT_EQ(panel->height, 650);
    waitUntil([] { return false; }, 1.0);
    screenshot("one-fan-panel");
}

} // namespace
