#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace SystemPlatform {

// The session's login items: the *.desktop entries of AutostartFolder::path(), in file-name
// order. An item resolves to the bundle whose executable its Exec= line starts (…/X.app/Contents/MacOS/
// <name>); an entry that cannot be read, is no application, is hidden or starts no bundle does not
// resolve, and is passed over, never removed. Main thread only.
class AERLO_SYSTEM_EXPORT SessionLoginItems {
public:
    struct Item {
        std::filesystem::path entry; // the entry's file
        std::filesystem::path bundle; // empty when the item does not resolve
    };

    // Every item; empty when the folder is missing; nothing when it cannot be opened (a file in its
    // place, no permission to list it).
    static std::optional<std::vector<Item>> snapshot();
    // Writes a new entry starting `bundle`'s executable, "<bundle identifier>.desktop" (else
    // "<bundle name>.desktop", then "-2", "-3", … while the name is taken); false when the bundle names no
    // executable or the entry cannot be written.
    [[nodiscard]] static bool insert(const std::filesystem::path& bundle);
    [[nodiscard]] static bool remove(const Item& item);

    // A path in the form items are compared in: absolute, lexically normal, no trailing "/" (links are
    // not resolved).
    static std::filesystem::path comparable(const std::filesystem::path& path);
};

} // namespace SystemPlatform
