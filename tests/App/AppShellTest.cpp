#include "tests/App/AppShellTest.h"

#include "Classes/App/QVAlertManager.h"
#include "Classes/App/QVAppRelaunchManager.h"
#include "Classes/App/QVAppRunningChecker.h"
#include "Classes/App/QVUpdateManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/LayerValue.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/StatusBar.h"
#include "QVToolsKit/UI/TransparentWindow.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace Aerlo;

void AppShellTest::SetUp()
{
    Kit::Testing::ensureApplication();
    ControlCoreTest::SetUp();
    TestAccess::resetForTesting(Kit::AnimationClock::shared());
    TestAccess::resetForTesting<Kit::Appearance>();
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector<Kit::Screen::Description> {
        {{0, 0, 1440, 900}, {0, 0, 1440, 875}, 1, "Built-in", true, {}, {}}}));
    TestAccess::resetForTesting<Kit::StatusBar>([](Kit::StatusItem&) { return nullptr; });
    Kit::AlertPresenter::replaceShared(alerts_);
    TestAccess::resetForTesting<QVAlertManager>();
    TestAccess::resetForTesting<Storyboard>();
    TestAccess::resetForTesting<Kit::Application>();
    Kit::Application::shared().setQuitHandler([this] { ++quits_; });
    TestAccess::resetForTesting<QVAppRunningChecker>();
    TestAccess::resetForTesting<QVUpdateManager>();
    // Start-up schedules the relaunch: it never replaces the test program.
    TestAccess::resetForTesting<QVAppRelaunchManager>();
    QVAppRelaunchManager::shared().setLauncher([](const auto&, const auto&) {
        return Foundation::Result<void>(Foundation::Error("not in tests"));
    });
    // The images and the English texts of the built bundle, in the test's bundle.
    const std::filesystem::path built = std::filesystem::path(AERLO_BINARY_DIR) / "Aerlo.app/Contents/Resources";
    std::filesystem::copy(built / "Images", Foundation::Bundle::main().resourcePath() / "Images",
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    std::ifstream table(built / "en.lproj/Localizable.json");
    LocalizationTable::setTable(nlohmann::json::parse(table).get<std::map<std::string, std::string>>());
    // The real status item and popup, once start-up makes them.
    delegate_->statusItem.reset();
    delegate_->popupView.reset();
}

void AppShellTest::TearDown()
{
    delegate_.reset();
    TestAccess::resetForTesting<QVAppRelaunchManager>();
    TestAccess::resetForTesting<QVUpdateManager>();
    TestAccess::resetForTesting<QVAppRunningChecker>();
    TestAccess::resetForTesting<Kit::Application>();
    TestAccess::resetForTesting<Storyboard>();
    TestAccess::resetForTesting<QVAlertManager>();
    Kit::AlertPresenter::replaceShared(nullptr);
    TestAccess::resetForTesting<Kit::StatusBar>([](Kit::StatusItem&) { return nullptr; });
    Kit::Screen::replaceProvider(nullptr);
    TestAccess::resetForTesting(Kit::AnimationClock::shared());
    LocalizationTable::setTable(std::nullopt);
    ControlCoreTest::TearDown();
}

void AppShellTest::registerStandInScenes(Kit::Size size)
{
    const auto scene = [this, size](bool twoFans) {
        return [this, size, twoFans]() -> std::shared_ptr<Kit::WindowController> {
            builtScenes_.push_back(twoFans ? "two" : "single");
            auto controller = std::make_shared<Kit::WindowController>(QVToolsKit::makeTransparentWindow());
            controller->setContentViewController(std::make_shared<StandInPanel>(twoFans, size));
            return controller;
        };
    };
    Storyboard::registerWindowController("FanSpeedController", "", scene(true));
    Storyboard::registerWindowController("FanSpeedController", "SingleFanWindowController", scene(false));
}

double AppShellTest::iconAngle() const
{
    const auto value = statusView().icon->layer().presentation().value("transform.rotation.z");
    return Kit::LayerValues::number(*value).value();
}
