#pragma once

#include "Platform/Foundation/Bundle.h"
#include "Platform/Vendors/SPUUserDriver.h"

namespace Vendors {

// The updater's standard dialogs, as alerts.
class SPUStandardUserDriver final : public SPUUserDriver {
public:
    SPUStandardUserDriver(Foundation::Bundle hostBundle, SPUStandardUserDriverDelegate* delegate);

    SPUUserUpdateChoice showUpdateFound(const SUAppcastItem& item, std::string_view currentVersion) override;
    void showUpdateNotFound() override;
    void showUpdaterError(std::string_view description) override;
    void showInstallingUnavailable(const SUAppcastItem& item) override;

private:
    std::string hostName() const;

    Foundation::Bundle host_;
    SPUStandardUserDriverDelegate* delegate_;
};

} // namespace Vendors
