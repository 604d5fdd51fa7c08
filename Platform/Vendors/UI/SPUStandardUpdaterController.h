#pragma once

#include "Platform/Vendors/SPUUpdater.h"

#include <memory>

namespace Vendors {

// The updater of the main bundle with the standard dialogs. Main thread only.
class SPUStandardUpdaterController {
public:
    // Starts the updater at once when `startingUpdater`.
    SPUStandardUpdaterController(bool startingUpdater, SPUUpdaterDelegate* updaterDelegate,
                                 SPUStandardUserDriverDelegate* userDriverDelegate);
    // Tests: another bundle or dialogs.
    SPUStandardUpdaterController(bool startingUpdater, SPUUpdaterDelegate* updaterDelegate,
                                 Foundation::Bundle hostBundle, std::shared_ptr<SPUUserDriver> userDriver);

    void startUpdater();
    // The user's check (the sender is not used).
    void checkForUpdates(const void* sender);
    SPUUpdater& updater() { return *updater_; }

private:
    std::unique_ptr<SPUUpdater> updater_;
};

} // namespace Vendors
