#pragma once

#include "Platform/Vendors/SUAppcast.h"

namespace Vendors {

class SPUUpdater;

// The user's answer to a found update.
enum class SPUUserUpdateChoice : int { skip = 0, install = 1, dismiss = 2 };
// Where the update stands when the user answers (we never download: always not downloaded).
enum class SPUUserUpdateState : int { notDownloaded = 0 };

// What the updater tells its host. Every call comes on the main queue.
class SPUUpdaterDelegate {
public:
    virtual ~SPUUpdaterDelegate() = default;
    virtual void didFinishLoadingAppcast(SPUUpdater&, const SUAppcast&) {}
    virtual void didFindValidUpdate(SPUUpdater&, const SUAppcastItem&) {}
    virtual void updaterDidNotFindUpdate(SPUUpdater&) {}
    // The choice as a number: the host may be handed values it does not know.
    virtual void userDidMakeChoice(SPUUpdater&, int /*choice*/, const SUAppcastItem&, SPUUserUpdateState) {}
    virtual void userDidSkipThisVersion(SPUUpdater&, const SUAppcastItem&) {}
    // Before installing; the install goes on only when this answers true.
    virtual bool willInstallUpdate(SPUUpdater&, const SUAppcastItem&) { return true; }
};

// What the standard user interface tells its host (nothing the application uses yet).
class SPUStandardUserDriverDelegate {
public:
    virtual ~SPUStandardUserDriverDelegate() = default;
};

} // namespace Vendors
