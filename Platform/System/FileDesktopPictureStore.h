#pragma once

#include "Platform/System/DesktopPictureStore.h"
#include "Platform/System/SystemExport.h"

namespace SystemPlatform {

// The pictures of every screen in one JSON file (screen key → path), written atomically; by default
// "Library/Preferences/com.apple.desktop.json" under the root.
class AERLO_SYSTEM_EXPORT FileDesktopPictureStore : public DesktopPictureStore {
public:
    explicit FileDesktopPictureStore(std::filesystem::path file = defaultFile());
    static std::filesystem::path defaultFile();

    Foundation::Result<void> setPicture(const std::filesystem::path& picture, const std::string& screenKey) override;
    std::optional<std::filesystem::path> picture(const std::string& screenKey) const override;

private:
    std::filesystem::path file_;
};

} // namespace SystemPlatform
