#include "QVToolsKit/QVSystemPreferencesManager.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/URL.h"
#include "Platform/System/ProcessInfo.h"
#include "Platform/System/Workspace.h"

#include <string>

namespace QVToolsKit {

namespace {

using Foundation::Console;

constexpr std::string_view privacyPane = "x-apple.systempreferences:com.apple.preference.security?Privacy_";

// Opens a fixed address; the workspace's answer is not looked at.
void openPrivacy(std::string_view pane)
{
    if (const auto url = Foundation::URL::string(std::string(privacyPane) + std::string(pane)))
        (void)SystemPlatform::Workspace::shared().open(*url);
}

void openAndReport(const Foundation::URL& url)
{
    Console::print(SystemPlatform::Workspace::shared().open(url) ? "成功打开系统偏好设置" : "无法打开系统偏好设置");
}

} // namespace

void QVSystemPreferencesManager::openLoginItemsPreferences()
{
    const bool sonomaOrLater = SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(14, 0);
    const std::string_view address =
        sonomaOrLater ? "x-apple.systempreferences:com.apple.LoginItems-Settings.extension?ExtensionItems"
                      : "x-apple.systempreferences:com.apple.preferences.users?startupItemsPref";
    const auto url = Foundation::URL::string(address);
    if (!url) {
        Console::print(sonomaOrLater ? "无法构建 URL 以打开登录项设置" : "无法构建 URL 以打开用户与组启动项设置");
        return;
    }
    (void)SystemPlatform::Workspace::shared().open(*url);
}

void QVSystemPreferencesManager::openAccessibilityPreferences() { openPrivacy("Accessibility"); }
void QVSystemPreferencesManager::openScreenCapturePreferences() { openPrivacy("ScreenCapture"); }

void QVSystemPreferencesManager::openReminderPreferences()
{
    if (const auto url = Foundation::URL::string(std::string(privacyPane) + "Reminders"))
        openAndReport(*url);
}

void QVSystemPreferencesManager::openMediaLibraryPreferences() { openPrivacy("MediaLibrary"); }
void QVSystemPreferencesManager::openPhotosPreferences() { openPrivacy("Photos"); }
void QVSystemPreferencesManager::openContactsPreferences() { openPrivacy("Contacts"); }
void QVSystemPreferencesManager::openMicrophonePreferences() { openPrivacy("Microphone"); }
void QVSystemPreferencesManager::openCameraPreferences() { openPrivacy("Camera"); }
void QVSystemPreferencesManager::openListenEventPreferences() { openPrivacy("ListenEvent"); }
void QVSystemPreferencesManager::openSpeechRecognitionPreferences() { openPrivacy("SpeechRecognition"); }
void QVSystemPreferencesManager::openLocationServicesPreferences() { openPrivacy("LocationServices"); }
void QVSystemPreferencesManager::openFullDiskAccessPreferences() { openPrivacy("AllFiles"); }
void QVSystemPreferencesManager::openFilesAndFoldersPreferences() { openPrivacy("FilesAndFolders"); }
void QVSystemPreferencesManager::openBluetoothPreferences() { openPrivacy("Bluetooth"); }
void QVSystemPreferencesManager::openCalendarPreferences() { openPrivacy("Calendars"); }
void QVSystemPreferencesManager::openAutomationPreferences() { openPrivacy("Automation"); }

void QVSystemPreferencesManager::openPreferences(std::string_view with)
{
    const auto url = Foundation::URL::string(with);
    if (!url) {
        Console::print("无效的 URL: " + std::string(with));
        return;
    }
    openAndReport(*url);
}

} // namespace QVToolsKit
