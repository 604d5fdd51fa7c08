#pragma once

#include <memory>
#include <string>

namespace Aerlo {

// The login-items list as the settings pane sees it: entries keyed by an application's path.
// A service is installed once by the program; with none installed the pane's launch-at-login
// check box is disabled, and nothing pretends to succeed.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    // Whether an entry points at `path`.
    virtual bool find(const std::string& path) = 0;
    // True only when a new entry was added.
    [[nodiscard]] virtual bool add(const std::string& path) = 0;
    // True only when every entry for `path` was removed.
    [[nodiscard]] virtual bool remove(const std::string& path) = 0;

    // The installed service, or null. Holders of the pointer keep a replaced service alive.
    static std::shared_ptr<LoginItemService> installed();
    // Puts in `service` (null takes it out). Tests put in a recording one and take it out with null.
    static void replace(std::shared_ptr<LoginItemService> service);
};

} // namespace Aerlo
