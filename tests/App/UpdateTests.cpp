#include "Classes/App/QVUpdateManager.h"
#include "Classes/App/UpdateCheck.h"
#include "Classes/Configure/Global/BundleInfo.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Platform/Foundation/Paths.h"
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
    void SetUp() override { Kit::AlertPresenter::replaceShared(alerts_); }
    void TearDown() override
    {
        Kit::AlertPresenter::replaceShared(nullptr);
        UpdateCheck::replace(nullptr);
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

TEST_F(Updates, AFeedThatCannotBeReadSaysWhyInOneLine)
{
    const fs::path file = Foundation::Paths::root() / "Library/appcast.json";
    const std::string feedLine = "The update feed \"/Library/appcast.json\" cannot be read: ";
    const auto failure = [&] {
        EXPECT_TRUE(backgroundCheck().empty());
        return console_.errors();
    };
    EXPECT_EQ(failure(), feedLine + "there is no file at " + file.string() + ".\n");
    fs::create_directories(file);
    EXPECT_EQ(failure(), feedLine + file.string() + " is not a regular file.\n");
    fs::remove(file);
    feed(R"({"items": [], "notes": ")" + std::string(Vendors::SUAppcast::maximumFileSize, 'x') + "\"}");
    EXPECT_EQ(failure(), feedLine + file.string() + " is larger than 1 MiB.\n");

    const struct {
        std::string json;
        std::string reason;
    } cases[] = {
        {"items: none", "it is not JSON"},
        // The parser would stop at the NUL byte and take the object before it.
        {std::string(R"({"items": []})") + '\0' + "{", "it holds a NUL byte"},
        {R"({"items": {}})", "its \"items\" is not an array"},
        {R"([])", "it is not a JSON object"},
        {R"({"items": [{"versionString": "1"}, 2]})", "item 2: not an object"},
        {R"({"items": [{"itemDescription": ["a"]}]})", "item 1: \"itemDescription\" is not text"},
        {R"({"items": [{"versionString": "241.18446744073709551616"}]})",
            "item 1: the build number \"241.18446744073709551616\" has a number beyond 64 bits"},
        // Printed as one line, whatever the feed holds.
        {R"({"items": [{"versionString": "99999999999999999999\n"}]})",
            R"(item 1: the build number "99999999999999999999\n" has a number beyond 64 bits)"},
    };
    for (const auto& c : cases) {
        feed(c.json);
        EXPECT_EQ(failure(), feedLine + c.reason + ".\n") << c.json;
    }

    // The largest 64-bit number is still a build number.
    feed(R"({"items": [{"versionString": "18446744073709551615"}]})");
    EXPECT_EQ(backgroundCheck().at(3), "Build number: 18446744073709551615");

    std::ofstream(updates_.host() / "Contents/Info.json")
        << R"({"CFBundleVersion": "240", "SUFeedURL": "https://example.com/appcast\n.json"})";
    TestAccess::resetForTesting<QVUpdateManager>();
    EXPECT_EQ(failure(),
              R"(The update feed "https://example.com/appcast\n.json" cannot be read: only local files are read.)" "\n");
}

TEST_F(Updates, ControlCharactersOfAFeedAreNeverPrintedRaw)
{
    feed(R"({"items": [{"title": "Aerlo\n暂无更新", "versionString": "241\u0085", "displayVersionString": "1.1\t",
        "fileURL": "file:///x\r", "itemDescription": "Quieter\nNote: \u001b[31mred\u007f"}]})");
    EXPECT_EQ(backgroundCheck(), (std::vector<std::string> {
        R"(updater(_:didFinishLoading:) 获取xml文件成功: 标题：Aerlo\n暂无更新, 版本：241\u0085)",
        "updater(_:didFindValidUpdate:) 有可用升级:", R"(Version: 1.1\t)", R"(Build number: 241\u0085)",
        R"(Url: file:///x\r)", R"(Note: Quieter\nNote: \x1B[31mred\x7F)"}));
}

TEST_F(Updates, TheUsersChoicesArePrintedAndASkippedVersionIsNotOfferedAgain)
{
    feed(newer);
    const std::string choice = "updater(_:userDidMake:forUpdate:state:) 用户点击 ";
    driver_->choices = {Vendors::SPUUserUpdateChoice::dismiss, Vendors::SPUUserUpdateChoice::skip};
    // The settings pane's control, as the program installs it.
    UpdateCheck::replace([] { QVUpdateManager::shared().checkForUpdates(nullptr); });
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
