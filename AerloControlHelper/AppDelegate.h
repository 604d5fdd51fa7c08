#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace AerloControlHelper {

// The login item's whole behaviour: start the main application unless it runs, mark that in the shared
// suite, and end ten seconds after launching. Main thread only.
class AppDelegate {
public:
    static constexpr std::string_view mainBundleIdentifier = "com.norvane.AerloOffline";
    static constexpr std::string_view helperBundleIdentifier = "com.norvane.AerloOfflineHelper";
    static constexpr std::string_view firstLaunchKey = "LoginItemFristLaunch";
    static constexpr double terminateDelay = 10.0;

    // `terminate` ends the application (the program stops its run loop).
    explicit AppDelegate(std::function<void()> terminate);

    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}
    bool applicationSupportsSecureRestorableState() const { return true; }

    // The main application's bundle around the helper's: the helper's path without its last four
    // components, when they are "<name>.app", "LoginItems", "Library" and "Contents" and what remains
    // ends in ".app"; nothing otherwise.
    static std::optional<std::filesystem::path> mainBundlePath(const std::filesystem::path& helperBundle);

private:
    void launchMainApplication();

    std::function<void()> terminate_;
};

} // namespace AerloControlHelper
