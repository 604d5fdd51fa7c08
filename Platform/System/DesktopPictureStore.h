#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace SystemPlatform {

// Where the desktop picture of each screen is kept. A screen is named by its key (its display number).
class AERLO_SYSTEM_EXPORT DesktopPictureStore {
public:
    virtual ~DesktopPictureStore() = default;
    // Keeps the picture (an absolute path to a readable regular file, checked by the caller).
    virtual Foundation::Result<void> setPicture(const std::filesystem::path& picture, const std::string& screenKey) = 0;
    virtual std::optional<std::filesystem::path> picture(const std::string& screenKey) const = 0;

    // The desktop's settings where they exist, else the file under the root.
    static std::shared_ptr<DesktopPictureStore> makeDefault();
};

} // namespace SystemPlatform
