#pragma once

#include "Platform/System/SessionLoginItems.h"

#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The user's login-items list, keyed by an application's path. Every failure is a false or empty
// result; nothing is printed. Main thread only.
class LoginServiceKit {
public:
    using Item = SystemPlatform::SessionLoginItems::Item;

    // The list's items; nothing when the list cannot be opened.
    static std::optional<std::vector<Item>> loginItemsSnapshot();
    // The first item that starts the application at `path`.
    static std::optional<Item> findLoginItem(const std::string& path);
    // True when a new item was inserted; false when the path is present or the list cannot be opened.
    [[nodiscard]] static bool addLoginItem(const std::string& path);
    // True when every item for the path was removed; false when none was there (or none could be
    // collected), the list cannot be opened or a removal failed (the items after it stay).
    [[nodiscard]] static bool removeLoginItem(const std::string& path);

    // The same for the main bundle.
    static bool isExistLoginItem();
    [[nodiscard]] static bool addLoginItem();
    [[nodiscard]] static bool removeLoginItem();
};

} // namespace Aerlo
