#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <string_view>

namespace QVToolsKit {

// Opens panes of the system's settings by their "x-apple.systempreferences:" addresses through the shared
// workspace. This platform has no handler for those addresses: the desktop opener is asked and refuses.
class QVTOOLSKIT_EXPORT QVSystemPreferencesManager {
public:
    // The login-items pane on 14.0 and later, else the users pane's start-up items.
    static void openLoginItemsPreferences();
    static void openAccessibilityPreferences();
    static void openScreenCapturePreferences();
    // Prints whether the workspace opened it.
    static void openReminderPreferences();
    static void openMediaLibraryPreferences();
    static void openPhotosPreferences();
    static void openContactsPreferences();
    static void openMicrophonePreferences();
    static void openCameraPreferences();
    static void openListenEventPreferences();
    static void openSpeechRecognitionPreferences();
    static void openLocationServicesPreferences();
    static void openFullDiskAccessPreferences();
    static void openFilesAndFoldersPreferences();
    static void openBluetoothPreferences();
    static void openCalendarPreferences();
    static void openAutomationPreferences();
    // Any address: "无效的 URL: <text>" when it is none, else whether the workspace opened it.
    static void openPreferences(std::string_view with);
};

} // namespace QVToolsKit
