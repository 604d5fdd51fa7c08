#include "Platform/Foundation/Bundle.h"
#include "Platform/System/AppService.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/QVLoginItemManager.h"
#include "QVToolsKit/QVSystemPreferencesManager.h"
#include "tests/QVToolsKit/FakeTool.h"
#include "tests/QVToolsKit/OperatingSystemVersion.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>

using QVToolsKit::QVLoginItemManager;
using QVToolsKit::QVSystemPreferencesManager;
using SystemPlatform::AppService;
using SystemPlatform::RecordingURLOpener;
using SystemPlatform::Workspace;
namespace fs = std::filesystem;

namespace {

class SettingsLinks : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<Workspace>(recorder_); }
    void TearDown() override { TestAccess::resetForTesting<Workspace>(); }

    std::shared_ptr<RecordingURLOpener> recorder_ = std::make_shared<RecordingURLOpener>();
    ConsoleCapture console_;
};

const std::string privacy = "x-apple.systempreferences:com.apple.preference.security?Privacy_";

} // namespace

TEST_F(SettingsLinks, EachPaneOpensExactlyItsAddress)
{
    const struct {
        void (*open)();
        std::string url;
    } panes[] = {
        {&QVSystemPreferencesManager::openAccessibilityPreferences, privacy + "Accessibility"},
        {&QVSystemPreferencesManager::openScreenCapturePreferences, privacy + "ScreenCapture"},
        {&QVSystemPreferencesManager::openMediaLibraryPreferences, privacy + "MediaLibrary"},
        {&QVSystemPreferencesManager::openPhotosPreferences, privacy + "Photos"},
        {&QVSystemPreferencesManager::openContactsPreferences, privacy + "Contacts"},
        {&QVSystemPreferencesManager::openMicrophonePreferences, privacy + "Microphone"},
        {&QVSystemPreferencesManager::openCameraPreferences, privacy + "Camera"},
        {&QVSystemPreferencesManager::openListenEventPreferences, privacy + "ListenEvent"},
        {&QVSystemPreferencesManager::openSpeechRecognitionPreferences, privacy + "SpeechRecognition"},
        {&QVSystemPreferencesManager::openLocationServicesPreferences, privacy + "LocationServices"},
        {&QVSystemPreferencesManager::openFullDiskAccessPreferences, privacy + "AllFiles"},
        {&QVSystemPreferencesManager::openFilesAndFoldersPreferences, privacy + "FilesAndFolders"},
        {&QVSystemPreferencesManager::openBluetoothPreferences, privacy + "Bluetooth"},
        {&QVSystemPreferencesManager::openCalendarPreferences, privacy + "Calendars"},
        {&QVSystemPreferencesManager::openAutomationPreferences, privacy + "Automation"},
    };
    for (const bool answer : {true, false}) {
        recorder_->setAnswer(answer);
        for (const auto& pane : panes) {
            const auto before = recorder_->openedURLs().size();
            pane.open();
            ASSERT_EQ(recorder_->openedURLs().size(), before + 1) << pane.url;
            EXPECT_EQ(recorder_->openedURLs().back(), pane.url);
        }
    }
    EXPECT_EQ(console_.output(), ""); // these panes print nothing, whatever the answer
}

TEST_F(SettingsLinks, TheRemindersPaneAndAnyAddressReportTheWorkspacesAnswer)
{
    QVSystemPreferencesManager::openReminderPreferences();
    recorder_->setAnswer(false);
    QVSystemPreferencesManager::openReminderPreferences();
    QVSystemPreferencesManager::openPreferences(privacy + "Camera");
    recorder_->setAnswer(true);
    QVSystemPreferencesManager::openPreferences(
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Camera");
    EXPECT_EQ(recorder_->openedURLs(), (std::vector<std::string> {privacy + "Reminders", privacy + "Reminders",
                                                                  privacy + "Camera", privacy + "Camera"}));
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"成功打开系统偏好设置", "无法打开系统偏好设置",
                                                           "无法打开系统偏好设置", "成功打开系统偏好设置"}));
}

TEST_F(SettingsLinks, AnInvalidAddressIsReportedAndNotOpened)
{
    for (const std::string text : {"", "x-apple.systempreferences:com.apple.preference security"}) {
        console_.clear();
        QVSystemPreferencesManager::openPreferences(text);
        EXPECT_EQ(console_.output(), "无效的 URL: " + text + "\n");
    }
    EXPECT_TRUE(recorder_->openedURLs().empty());
}

TEST_F(SettingsLinks, TheLoginItemsPaneSwitchesAtVersion14)
{
    const struct {
        const char* version;
        const char* url;
    } cases[] = {
        {"13.6.1", "x-apple.systempreferences:com.apple.preferences.users?startupItemsPref"},
        {"14.0", "x-apple.systempreferences:com.apple.LoginItems-Settings.extension?ExtensionItems"},
        {"15.1", "x-apple.systempreferences:com.apple.LoginItems-Settings.extension?ExtensionItems"},
    };
    for (const auto& c : cases) {
        OperatingSystemVersion version(c.version);
        QVSystemPreferencesManager::openLoginItemsPreferences();
        EXPECT_EQ(recorder_->openedURLs().back(), c.url) << c.version;
    }
    EXPECT_EQ(console_.output(), "");
}

TEST_F(SettingsLinks, TheDesktopOpenerIsTheDefaultBackend)
{
    TempRoot root;
    const std::string record = "echo \"$@\" > \"" + (root.path() / "opened").string() + "\"\nexit 4";
    FakeTool opener(root.path(), "/usr/bin/xdg-open", record);
    TestAccess::resetForTesting<Workspace>();
    QVSystemPreferencesManager::openPreferences(privacy + "Camera");
    EXPECT_EQ(readText(root.path() / "opened"), privacy + "Camera\n");
    EXPECT_EQ(console_.output(), "无法打开系统偏好设置\n");
}

namespace {

// A main bundle with one login item, "com.example.Helper", whose folder name needs quoting.
class LoginItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path item = root_.path() / "Apps/Test.app/Contents/Library/LoginItems/My Helper.app";
        fs::create_directories(item / "Contents/MacOS");
        std::ofstream(item / "Contents/Info.json")
            << R"({"CFBundleIdentifier": "com.example.Helper", "CFBundleExecutable": "Helper $1",
                  "CFBundleName": "Helper"})";
        std::ofstream(item / "Contents/MacOS/Helper $1") << "#!/bin/sh\n";
        fs::create_directories(root_.path() / "Apps/Test.app/Contents/Library/LoginItems/Plain.app");
        Foundation::Bundle::setMainBundlePath(root_.path() / "Apps/Test.app");
        AppService::setRequestObserver([this](std::string_view call, std::string_view identifier, bool enabled) {
            requests_.push_back(std::string(call) + " " + std::string(identifier) + (enabled ? " on" : " off"));
        });
    }
    void TearDown() override
    {
        AppService::setRequestObserver(nullptr);
        Foundation::Bundle::setMainBundlePath({});
    }

    fs::path entry() const { return AppService::autostartFolder() / "com.example.Helper.desktop"; }

    TempRoot root_;
    ConsoleCapture console_;
    std::vector<std::string> requests_;
};

} // namespace

TEST_F(LoginItems, SwitchingOnWritesTheAutostartEntryAndOffRemovesIt)
{
    OperatingSystemVersion version("14.5");
    QVLoginItemManager::setLaunchAtLogin(true, "com.example.Helper");
    const std::string executable =
        (root_.path() / "Apps/Test.app/Contents/Library/LoginItems/My Helper.app/Contents/MacOS/Helper ").string();
    EXPECT_EQ(readText(entry()), "[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=Helper\n"
                                 "Exec=\""
                                     + executable
                                     + "\\\\$1\"\n"
                                       "Terminal=false\n"
                                       "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(AppService::loginItem("com.example.Helper").status(), AppService::Status::enabled);
    // Nothing but the entry is left beside it (the write went through a renamed temporary file).
    EXPECT_EQ(std::distance(fs::directory_iterator(AppService::autostartFolder()), fs::directory_iterator()), 1);

    QVLoginItemManager::setLaunchAtLogin(false, "com.example.Helper");
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_EQ(AppService::loginItem("com.example.Helper").status(), AppService::Status::notRegistered);
    EXPECT_EQ(requests_,
              (std::vector<std::string> {"register com.example.Helper on", "unregister com.example.Helper off"}));
    EXPECT_EQ(console_.output(), "");
}

TEST_F(LoginItems, BelowVersion13TheOlderSwitchIsUsed)
{
    OperatingSystemVersion version("12.7");
    QVLoginItemManager::setLaunchAtLogin(true, "com.example.Helper");
    EXPECT_TRUE(fs::exists(entry()));
    QVLoginItemManager::setLaunchAtLogin(false, "com.example.Helper");
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_EQ(requests_, (std::vector<std::string> {"setLoginItemEnabled com.example.Helper on",
                                                    "setLoginItemEnabled com.example.Helper off"}));
    EXPECT_TRUE(AppService::setLoginItemEnabled("com.example.Helper", false)); // already off
    EXPECT_FALSE(AppService::setLoginItemEnabled("com.example.Other", true));
    EXPECT_EQ(console_.output(), "");
}

TEST_F(LoginItems, AnUnknownIdentifierChangesNothingSilently)
{
    for (const char* version : {"14.5", "12.7"}) {
        OperatingSystemVersion pinned(version);
        for (const char* identifier : {"com.example.Other", "", "../com.example.Helper", "Plain"}) {
            QVLoginItemManager::setLaunchAtLogin(true, identifier);
            QVLoginItemManager::setLaunchAtLogin(false, identifier);
        }
    }
    EXPECT_FALSE(fs::exists(AppService::autostartFolder()));
    EXPECT_EQ(console_.output(), "");

    auto other = AppService::loginItem("com.example.Other");
    EXPECT_EQ(other.status(), AppService::Status::notFound);
    EXPECT_EQ(other.register_().error(), "No login item has the identifier \"com.example.Other\".");
    auto helper = AppService::loginItem("com.example.Helper");
    EXPECT_FALSE(helper.unregister().ok()); // never registered
    EXPECT_TRUE(helper.register_().ok());
    EXPECT_TRUE(helper.register_().ok()); // again: the entry is rewritten
    EXPECT_TRUE(helper.unregister().ok());
}

TEST(AutostartEntry, ExecQuotesEverythingTheLauncherTreatsSpecially)
{
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/opt/a b/run", R"(Exec="/opt/a b/run")"},
        {"/opt/x\"y`z$w/run", R"(Exec="/opt/x\\"y\\`z\\$w/run")"},
        {"/opt/back\\slash", R"(Exec="/opt/back\\\\slash")"},
        {"/opt/100%/run", R"(Exec="/opt/100%%/run")"},
        {"/opt/it's;&|<>*?~#=()/run", R"(Exec="/opt/it's;&|<>*?~#=()/run")"},
    };
    for (const auto& c : cases) {
        const auto text = AppService::desktopEntry("Name", c.path);
        ASSERT_TRUE(text) << c.path;
        EXPECT_NE(text->find(std::string("\n") + c.exec + "\n"), std::string::npos) << *text;
    }
    EXPECT_EQ(AppService::desktopEntry("Name", "/opt/line\nbreak"), std::nullopt);
    EXPECT_EQ(AppService::desktopEntry("Two\nLines", "/opt/run"), std::nullopt);
    EXPECT_NE(AppService::desktopEntry("A\\B", "/opt/run")->find("\nName=A\\\\B\n"), std::string::npos);
}
