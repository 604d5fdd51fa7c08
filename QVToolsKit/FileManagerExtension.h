#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <filesystem>

namespace QVToolsKit {

// The user's trash folder holds the item, at any depth (the trash itself does not count). Any error,
// a missing item or trash included, gives false.
QVTOOLSKIT_EXPORT bool isInTrash(const std::filesystem::path& url);
// An item exists at the path and is a folder (a link to a folder counts).
QVTOOLSKIT_EXPORT bool isDirectory(const std::filesystem::path& url);

} // namespace QVToolsKit
