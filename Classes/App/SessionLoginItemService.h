#pragma once

#include "Classes/App/LoginItemService.h"

namespace Aerlo {

// The settings pane's login items: the session's list through LoginServiceKit.
class SessionLoginItemService final : public LoginItemService {
public:
    bool find(const std::string& path) override;
    [[nodiscard]] bool add(const std::string& path) override;
    [[nodiscard]] bool remove(const std::string& path) override;
};

} // namespace Aerlo
