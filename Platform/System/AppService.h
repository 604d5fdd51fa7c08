#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace SystemPlatform {

// The login items a bundle carries in Contents/Library/LoginItems/*.app, switched on and off for the
// user's session. The switch is an XDG autostart entry "<identifier>.desktop" in the session's autostart
// folder (AutostartFolder), written atomically, whose Exec= line names the item's executable in double
// quotes. Only an entry whose Exec starts the item is its own: any other under that name is left, and the
// item's entry goes beside it ("<identifier>-2.desktop", …).
class AERLO_SYSTEM_EXPORT AppService {
public:
    enum class Status { notRegistered, enabled, notFound };

    // The login item of the main bundle whose bundle identifier is `identifier`.
    static AppService loginItem(std::string_view identifier);
    // The main bundle itself, under its own bundle identifier's entry.
    static AppService mainApp();

    // Writes the autostart entry; fails for an identifier that names no login item of the main bundle.
    Foundation::Result<void> register_();
    // Removes the item's own autostart entries; fails when there is none.
    Foundation::Result<void> unregister();
    Status status() const;

    // The switch systems before the service had (one call, a truth value for the outcome).
    [[nodiscard]] static bool setLoginItemEnabled(std::string_view identifier, bool enabled);

    // Where the entries are kept.
    static std::filesystem::path autostartFolder();
    // The entry's text for an item named `name` started by `executable`; nothing when either holds a
    // line break or other control character, which an entry cannot carry.
    static std::optional<std::string> desktopEntry(std::string_view name, const std::filesystem::path& executable);

    // Tests: told of every switch request, with the call's name ("register", "unregister",
    // "setLoginItemEnabled"), the identifier and the wanted state. Null stops it.
    using RequestObserver = std::function<void(std::string_view call, std::string_view identifier, bool enabled)>;
    static void setRequestObserver(RequestObserver observer);

    const std::string& identifier() const { return identifier_; }

    // What the entry starts: the item's name and executable; nothing when there is no such item.
    struct Item {
        std::string name;
        std::filesystem::path executable;
    };
    std::optional<Item> item() const;

private:
    explicit AppService(std::string identifier) : identifier_(std::move(identifier)) {}
    Foundation::Result<void> setEnabled(bool enabled) const;

    std::string identifier_;
    bool mainApp_ = false;
};

} // namespace SystemPlatform
