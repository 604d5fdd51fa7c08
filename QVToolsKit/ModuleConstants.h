#pragma once

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
bool kAppIsSandbox();
// The global domain's "AppleInterfaceStyle" is a text equal to "dark" ignoring case.
bool kSystemIsDarkTheme();

// The user's Library folder, following the root.
std::string kLibraryPath();
// Once: the user's Documents and Caches folders.
const std::string& kDocumentPath();
const std::string& kCachePath();
// The main bundle's resource named exactly `forResource`.
std::optional<std::string> kBundlePath(std::string_view forResource);

// Once: "CFBundleShortVersionString" and "CFBundleVersion" of the main bundle when they are texts, else "".
const std::string& kAPP_Version();
const std::string& kAPP_Build_Number();
// Once: appName of the main bundle.
const std::string& kAPP_Name();
// Once: the main bundle's identifier.
const std::optional<std::string>& kBundle_id();
// Once: the system's version as "major.minor.patch" ("15.1.0").
const std::string& kSystem_OS_Version();

// The first text of: localised "CFBundleDisplayName", "CFBundleDisplayName", localised "CFBundleName",
// "CFBundleName"; else "".
std::string appName(const Foundation::Bundle& bundle);

// The console user's name; nothing when nobody is at the console or the login window is ("loginwindow",
// any case).
std::optional<std::string> GUIUserName();
// The last piece of the console user's home folder in the password database.
std::optional<std::string> GUIUserDisplayName();

// The fifth "-"-separated group of the platform expert's "IOPlatformUUID"; "" when it cannot be had.
std::string getUUID();

} // namespace QVToolsKit
