#include "Classes/App/QVUpdateManager.h"
#include "Classes/App/UpdateCheck.h"
#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "tests/App/ScriptedUpdates.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace Aerlo;
namespace fs = std::filesystem;

namespace {

class Updates : public ::testing::Test {
protected:
    void SetUp() override { Kit::AlertPresenter::setShared(alerts_); }
    void TearDown() override
    {
        Kit::AlertPresenter::setShared(nullptr);
        UpdateCheck::install(nullptr);
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    static void feed(const std::string& json) { ScriptedUpdates::feed(json); }
    std::vector<std::string> backgroundCheck()
    {
        console_.clear();
        QVUpdateManager::shared().startBackgroundChecks();
        driver_loop_.runUntilIdle();
        return console_.lines();
    }

    TempRoot root_;
    Foundation::ManualRunLoopDriver driver_loop_;
    ConsoleCapture console_;
    ScriptedUpdates updates_;
    std::shared_ptr<ScriptedUserDriver>& driver_ = updates_.driver;
    std::shared_ptr<Kit::ScriptedAlertPresenter> alerts_ = std::make_shared<Kit::ScriptedAlertPresenter>();
};

const std::string newer = R"({"items": [{"title": "Aerlo 1.1", "versionString": "241", "displayVersionString": "1.1",
    "fileURL": "https://example.com/Aerlo-1.1.zip", "itemDescription": "Quieter fans"}]})";

} // namespace

TEST_F(Updates, BackgroundChecksPrintWhatTheFeedHolds)
{
    const std::string loaded = "updater(_:didFinishLoading:) 获取xml文件成功: 标题：";
    const struct {
        std::string json;
        std::vector<std::string> lines;
    } cases[] = {
        {newer, {loaded + "Aerlo 1.1, 版本：241", "updater(_:didFindValidUpdate:) 有可用升级:", "Version: 1.1",
                    "Build number: 241", "Url: https://example.com/Aerlo-1.1.zip", "Note: Quieter fans"}},
        {R"({"items": [{"versionString": "1000"}]})",
            {loaded + "无标题, 版本：1000", "updater(_:didFindValidUpdate:) 有可用升级:", "Version: 1000",
                "Build number: 1000", "Url: 未知", "Note: 无"}},
        // Ordered number by number: 99 is older than 240, 240.1 newer.
        {R"({"items": [{"title": "old", "versionString": "99"}, {"title": "t", "versionString": "240.1"}]})",
            {loaded + "old, 版本：99", "updater(_:didFindValidUpdate:) 有可用升级:", "Version: 240.1",
                "Build number: 240.1", "Url: 未知", "Note: 无"}},
        {R"({"items": []})", {"暂无更新"}},
        {R"({"items": [{"title": "same", "versionString": "240"}]})", {loaded + "same, 版本：240", "暂无更新"}},
        {R"({"items": [{"versionString": "241", "versionString": "242"}]})", {}},
        {newer + " trailing", {}},
        {R"({"items": [{"title": 7, "versionString": "241"}]})", {}},
    };
    for (const auto& c : cases) {
        feed(c.json);
        EXPECT_EQ(backgroundCheck(), c.lines) << c.json;
    }
    EXPECT_TRUE(driver_->calls.empty()) << "a background check shows no dialog";
}

TEST_F(Updates, TheUsersChoicesArePrintedAndASkippedVersionIsNotOfferedAgain)
{
    feed(newer);
    const std::string choice = "updater(_:userDidMake:forUpdate:state:) 用户点击 ";
    driver_->choices = {Vendors::SPUUserUpdateChoice::dismiss, Vendors::SPUUserUpdateChoice::skip};
    // The settings pane's control, as the program installs it.
    UpdateCheck::install([] { QVUpdateManager::shared().checkForUpdates(nullptr); });
    for (const std::string& expected : {choice + "稍后提醒", choice + "跳过这个版本"}) {
        console_.clear();
        ASSERT_TRUE(UpdateCheck::run());
        driver_loop_.runUntilIdle();
        const auto lines = console_.lines();
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(lines[6], expected);
    }
    EXPECT_EQ(console_.lines().back(), "用户跳过了版本：241");
    EXPECT_EQ(backgroundCheck().back(), "暂无更新");

    Vendors::SUAppcastItem item;
    console_.clear();
    QVUpdateManager::shared().userDidMakeChoice(QVUpdateManager::shared().updateController()->updater(), 3, item,
        Vendors::SPUUserUpdateState::notDownloaded);
    EXPECT_EQ(console_.output(), "");
}

TEST_F(Updates, InstallingAsksFirstAndNeverInstallsAfterLater)
{
    feed(newer);
    driver_->choices = {Vendors::SPUUserUpdateChoice::install, Vendors::SPUUserUpdateChoice::install};
    alerts_->enqueue(Kit::AlertScript::button(1, "有新版本可用")); // 稍后
    alerts_->enqueue(Kit::AlertScript::button(0, "有新版本可用")); // 安装更新
    const auto before = Foundation::UserDefaults::standard().dictionaryRepresentation();
    for (int i = 0; i < 2; ++i) {
        QVUpdateManager::shared().checkForUpdates(nullptr);
        driver_loop_.runUntilIdle();
    }
    ASSERT_EQ(alerts_->shown().size(), 2u);
    const Kit::ShownAlert& alert = alerts_->shown()[0];
    EXPECT_EQ(alert.informativeText, "是否现在安装更新？");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"安装更新", "稍后"}));
    EXPECT_EQ(alert.style, Kit::AlertStyle::informational);
    EXPECT_EQ(driver_->calls, (std::vector<std::string>{"found 241 over 240", "found 241 over 240", "installs nothing 241"}));
    EXPECT_EQ(Foundation::UserDefaults::standard().dictionaryRepresentation(), before) << "nothing stored";
}

TEST_F(Updates, WithoutAControllerOrAFeedChecksDoNothing)
{
    feed(newer);
    TestAccess::resetForTesting<QVUpdateManager>(true);
    EXPECT_EQ(QVUpdateManager::shared().updateController(), nullptr);
    QVUpdateManager::shared().checkForUpdates(nullptr);
    EXPECT_TRUE(backgroundCheck().empty());

    std::ofstream(updates_.host() / "Contents/Info.json") << R"({"CFBundleVersion": "240"})";
    TestAccess::resetForTesting<QVUpdateManager>();
    QVUpdateManager::shared().checkForUpdates(nullptr);
    EXPECT_NE(console_.errors().find("SUFeedURL"), std::string::npos) << "the updater says why it did not start";
    EXPECT_TRUE(backgroundCheck().empty());
    EXPECT_TRUE(driver_->calls.empty());
}

TEST(LocalizedFormats, OnlyObjectPlaceholdersArFilled)
{
    LocalizationTable::setTable(std::map<std::string, std::string>{{"OS Expire Tips", "%n %s %@ %% %d %2$@ %1$@"}});
    EXPECT_EQ(localizedStringArguments("OS Expire Tips", {"Aerlo"}), "%n %s Aerlo % %d  Aerlo");
    LocalizationTable::setTable(std::nullopt);
}
