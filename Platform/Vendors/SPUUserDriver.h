#pragma once

#include "Platform/Vendors/SPUUpdaterDelegate.h"

#include <string_view>

namespace Vendors {

// The updater's dialogs for checks the user asked for: the standard windows in the application,
// scripted answers in tests.
class SPUUserDriver {
public:
    virtual ~SPUUserDriver() = default;
    // A newer release: install, skip this version or remind later.
    virtual SPUUserUpdateChoice showUpdateFound(const SUAppcastItem& item, std::string_view currentVersion) = 0;
    virtual void showUpdateNotFound() = 0;
    // The feed could not be read.
    virtual void showUpdaterError(std::string_view description) = 0;
    // The user chose to install: this build downloads and installs nothing, and says where to get it.
    virtual void showInstallingUnavailable(const SUAppcastItem& item) = 0;
};

} // namespace Vendors
