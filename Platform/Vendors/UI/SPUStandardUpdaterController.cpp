#include "Platform/Vendors/UI/SPUStandardUpdaterController.h"

#include "Platform/Vendors/UI/SPUStandardUserDriver.h"

namespace Vendors {

SPUStandardUpdaterController::SPUStandardUpdaterController(bool startingUpdater, SPUUpdaterDelegate* updaterDelegate,
                                                           SPUStandardUserDriverDelegate* userDriverDelegate)
    : SPUStandardUpdaterController(
        startingUpdater, updaterDelegate, Foundation::Bundle::main(),
        std::make_shared<SPUStandardUserDriver>(Foundation::Bundle::main(), userDriverDelegate))
{
}

SPUStandardUpdaterController::SPUStandardUpdaterController(bool startingUpdater, SPUUpdaterDelegate* updaterDelegate,
                                                           Foundation::Bundle hostBundle,
                                                           std::shared_ptr<SPUUserDriver> userDriver)
    : updater_(std::make_unique<SPUUpdater>(std::move(hostBundle), std::move(userDriver), updaterDelegate))
{
    if (startingUpdater)
        startUpdater();
}

void SPUStandardUpdaterController::startUpdater() { (void)updater_->startUpdater(); }

void SPUStandardUpdaterController::checkForUpdates(const void*) { updater_->checkForUpdates(); }

} // namespace Vendors
