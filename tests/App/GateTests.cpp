#include "Classes/App/QVUpdateManager.h"
#include "Platform/Kit/Application.h"
#include "Platform/System/Workspace.h"
#include "tests/App/AppShellTest.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TestAccess.h"

using namespace Aerlo;

namespace {

class Gate : public AppShellTest {
protected:
    void SetUp() override
    {
        AppShellTest::SetUp();
        useMachine("mbp-m1pro-2fan");
        TestAccess::resetForTesting<SystemPlatform::Workspace>(opener_);
        delegate_->onStartupStep = [this](std::string_view step) { steps_.emplace_back(step); };
        Kit::Application::shared().setWillTerminate([this] { delegate_->applicationWillTerminate(); });
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<SystemPlatform::Workspace>();
        SystemPlatform::ActiveMachine::reset();
        AppShellTest::TearDown();
    }

    std::shared_ptr<SystemPlatform::RecordingURLOpener> opener_ =
        std::make_shared<SystemPlatform::RecordingURLOpener>();
    std::vector<std::string> steps_;
};

} // namespace

TEST_F(Gate, SystemsBefore27PassComparedNumberByNumber)
{
    for (const char* version : {"9.6.0", "26.9.0", "26.10"}) {
        ::OperatingSystemVersion::set(version);
        EXPECT_TRUE(QVUpdateManager::shared().checkSupportedOSVersion()) << version;
    }
    EXPECT_TRUE(alerts_->shown().empty());
    EXPECT_TRUE(opener_->openedURLs().empty());
    EXPECT_EQ(quits_, 0);
}

TEST_F(Gate, From27StartUpTellsTheUserOpensTheDownloadPageAndStopsAtTheGate)
{
    for (const char* version : {"27.0", "27.0.0", "28.1.0", "100.0"}) {
        ::OperatingSystemVersion::set(version);
        TestAccess::resetForTesting<Kit::Application>();
        Kit::Application::shared().setQuitHandler([this] { ++quits_; });
        Kit::Application::shared().setWillTerminate([this] { delegate_->applicationWillTerminate(); });
        quits_ = 0;
        steps_.clear();
        const auto shownBefore = alerts_->shown().size();
        delegate_->applicationDidFinishLaunching();
        driver_.advance(5);
        ASSERT_FALSE(steps_.empty());
        EXPECT_EQ(steps_.back(), "operatingSystemGate") << version;
        ASSERT_EQ(alerts_->shown().size(), shownBefore + 1) << version;
        const Kit::ShownAlert& alert = alerts_->shown().back();
        EXPECT_EQ(alert.messageText, "Kind Tips");
        EXPECT_EQ(alert.informativeText.rfind("This version of ", 0), 0u) << alert.informativeText;
        EXPECT_EQ(alert.informativeText.find('%'), std::string::npos) << alert.informativeText;
        EXPECT_EQ(alert.buttons, std::vector<std::string> {"Download the Latest Version"});
        EXPECT_EQ(alert.style, Kit::AlertStyle::warning);
        EXPECT_EQ(quits_, 1) << version;
        EXPECT_FALSE(delegate_->fanSpeedWindowController) << "no panel to force the fans";
    }
    EXPECT_EQ(opener_->openedURLs(), std::vector<std::string>(4, std::string(QVUpdateManager::downloadAddress)));
    // The quit path's restore only: no fan is forced after it.
    for (const std::string& message : fanMessages())
        EXPECT_TRUE(message == modeMessage(0, 0) || message == modeMessage(1, 0)) << message;
}
