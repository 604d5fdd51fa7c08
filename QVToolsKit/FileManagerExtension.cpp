#include "QVToolsKit/FileManagerExtension.h"

#include "Platform/Foundation/Paths.h"
#include "QVToolsKit/QVFileSizeTool.h"

#include <algorithm>

namespace QVToolsKit {

namespace fs = std::filesystem;

bool isInTrash(const fs::path& url)
{
    std::error_code error;
    const fs::path trash = fs::canonical(Foundation::Paths::trash(), error);
    if (error)
        return false;
    const fs::path item = fs::canonical(url, error);
    if (error)
        return false;
    // Whole components, so that ".Trash2" is no part of ".Trash".
    const auto [trashEnd, itemAt] = std::mismatch(trash.begin(), trash.end(), item.begin(), item.end());
    return trashEnd == trash.end() && itemAt != item.end();
}

bool isDirectory(const fs::path& url) { return QVFileSizeTool::isDirectory(url); }

} // namespace QVToolsKit
