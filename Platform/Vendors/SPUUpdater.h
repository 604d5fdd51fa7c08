#pragma once

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Result.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Vendors/SPUUpdaterDelegate.h"
#include "Platform/Vendors/SPUUserDriver.h"

#include <memory>
#include <optional>
#include <string>

namespace Vendors {

// Checks a feed of releases for one newer than the host bundle's "CFBundleVersion". The feed is the
// host's "SUFeedURL": a local file, a path under the root (network addresses count as unreadable).
// Nothing is ever downloaded or installed. A check runs on the main queue: the delegate hears that the
// feed loaded, then that an update was found (the newest release above the running build that the user
// did not skip) or not. A check the user asked for also shows its dialogs through the user driver. With
// automatic checks on, the updater checks in the background every scheduledCheckInterval. Main thread only.
class SPUUpdater {
public:
    static constexpr double scheduledCheckInterval = 86400.0;
    // Where a skipped version is kept (the host's standard suite).
    static constexpr std::string_view skippedVersionKey = "SUSkippedVersion";

    SPUUpdater(Foundation::Bundle hostBundle, std::shared_ptr<SPUUserDriver> userDriver, SPUUpdaterDelegate* delegate);
    ~SPUUpdater();
    SPUUpdater(const SPUUpdater&) = delete;
    SPUUpdater& operator=(const SPUUpdater&) = delete;

    // Fails, and checks do nothing, when the host names no feed.
    Foundation::Result<void> startUpdater();
    bool isStarted() const { return started_; }

    bool automaticallyChecksForUpdates() const { return automatic_; }
    void setAutomaticallyChecksForUpdates(bool automatic);

    // A check the user asked for (dialogs shown).
    void checkForUpdates();
    void checkForUpdatesInBackground();

    // The feed's file; nothing when the host names none or a network address.
    std::optional<std::filesystem::path> feedPath() const;

private:
    void check(bool userInitiated);
    void runCheck(bool userInitiated);
    void answer(SPUUserUpdateChoice choice, const SUAppcastItem& item);

    Foundation::Bundle host_;
    std::shared_ptr<SPUUserDriver> userDriver_;
    SPUUpdaterDelegate* delegate_;
    bool started_ = false;
    bool automatic_ = false;
    std::shared_ptr<Foundation::Timer> schedule_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace Vendors
