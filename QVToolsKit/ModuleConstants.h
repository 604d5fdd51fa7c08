#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <optional>
#include <string>
#include <string_view>

namespace Foundation {
class Bundle;
}

namespace QVToolsKit {

// The framework's module-level values that need no windows (the screen, font and appearance ones are in
// DisplayConstants.h). Those marked "once" are read on first use and kept for the process
// (OnceValue::resetForTesting forgets them); the others are read on every call.

// Once: the process runs in a sandbox container (APP_SANDBOX_CONTAINER_ID is set, whatever its value).
QVTOOLSKIT_EXPORT bool kAppIsSandbox();
// The global domain's "AppleInterfaceStyle" is a text equal to "dark" ignoring case.
QVTOOLSKIT_EXPORT bool kSystemIsDarkTheme();

// The user's Library folder, following the root.
QVTOOLSKIT_EXPORT std::string kLibraryPath();
// Once: the user's Documents and Caches folders.
QVTOOLSKIT_EXPORT const std::string& kDocumentPath();
QVTOOLSKIT_EXPORT const std::string& kCachePath();
// The main bundle's resource named exactly `forResource`.
QVTOOLSKIT_EXPORT std::optional<std::string> kBundlePath(std::string_view forResource);

// Once: "CFBundleShortVersionString" and "CFBundleVersion" of the main bundle when they are texts, else "".
QVTOOLSKIT_EXPORT const std::string& kAPP_Version();
QVTOOLSKIT_EXPORT const std::string& kAPP_Build_Number();
// Once: appName of the main bundle.
QVTOOLSKIT_EXPORT const std::string& kAPP_Name();
// Once: the main bundle's identifier.
QVTOOLSKIT_EXPORT const std::optional<std::string>& kBundle_id();
// Once: the system's version as "major.minor.patch" ("15.1.0").
QVTOOLSKIT_EXPORT const std::string& kSystem_OS_Version();

// The first text of: localised "CFBundleDisplayName", "CFBundleDisplayName", localised "CFBundleName",
// "CFBundleName"; else "".
QVTOOLSKIT_EXPORT std::string appName(const Foundation::Bundle& bundle);

// The console user's name; nothing when nobody is at the console or the login window is ("loginwindow",
// any case).
QVTOOLSKIT_EXPORT std::optional<std::string> GUIUserName();
// The last piece of the console user's home folder in the password database.
QVTOOLSKIT_EXPORT std::optional<std::string> GUIUserDisplayName();

// The fifth "-"-separated group of the platform expert's "IOPlatformUUID"; "" when it cannot be had.
QVTOOLSKIT_EXPORT std::string getUUID();

} // namespace QVToolsKit
