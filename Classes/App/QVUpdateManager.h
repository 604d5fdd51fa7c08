#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Vendors/SPUUpdaterDelegate.h"
#include "Platform/Vendors/UI/SPUStandardUpdaterController.h"

#include <memory>
#include <string_view>

namespace Aerlo {

// The update framework's controller for the application, made and started once, and the
// operating-system gate. It is the controller's updater and user-interface delegate and prints what the
// framework reports. Main thread only.
class QVUpdateManager final : public Vendors::SPUUpdaterDelegate, public Vendors::SPUStandardUserDriverDelegate {
public:
    // Where the gate sends users of systems this version does not support.
    static constexpr std::string_view downloadAddress = "https://aerlo.norvane.com/download";
    // The first system version the application does not support.
    static constexpr std::string_view unsupportedOSVersion = "27.0";

    static QVUpdateManager& shared();
    using ControllerFactory = std::function<std::unique_ptr<Vendors::SPUStandardUpdaterController>(QVUpdateManager&)>;

    QVUpdateManager();

    Vendors::SPUStandardUpdaterController* updateController() const { return updateController_.get(); }

    // The user's check; nothing without a controller.
    void checkForUpdates(const void* sender);
    // Start-up's: automatic checks on, then one background check (nothing without a controller).
    void startBackgroundChecks();

    // The gate: from 27.0 up, tells the user, opens the download page and terminates the application.
    // False when it did (nothing after it may run).
    [[nodiscard]] bool checkSupportedOSVersion();

    void didFinishLoadingAppcast(Vendors::SPUUpdater&, const Vendors::SUAppcast& appcast) override;
    void didFindValidUpdate(Vendors::SPUUpdater&, const Vendors::SUAppcastItem& item) override;
    void updaterDidNotFindUpdate(Vendors::SPUUpdater&) override;
    void userDidMakeChoice(Vendors::SPUUpdater&, int choice, const Vendors::SUAppcastItem&,
                           Vendors::SPUUserUpdateState) override;
    void userDidSkipThisVersion(Vendors::SPUUpdater&, const Vendors::SUAppcastItem& item) override;
    // The app's own question; true only for its first button ("安装更新").
    bool willInstallUpdate(Vendors::SPUUpdater&, const Vendors::SUAppcastItem& item) override;

private:
    explicit QVUpdateManager(bool withController);

    std::unique_ptr<Vendors::SPUStandardUpdaterController> updateController_;

    friend struct ::TestAccess;
    // Tests: a fresh manager, made with `controller` (its own standard controller when not given; none
    // when `withoutController`).
    static void resetForTesting(bool withoutController = false);
    static void setControllerFactoryForTesting(ControllerFactory factory);
};

} // namespace Aerlo
