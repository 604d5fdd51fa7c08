#include "Platform/System/DesktopPictureStore.h"

#include "Platform/System/FileDesktopPictureStore.h"
#include "Platform/System/GSettingsDesktopPictureStore.h"

namespace SystemPlatform {

std::shared_ptr<DesktopPictureStore> DesktopPictureStore::makeDefault()
{
    auto desktop = std::make_shared<GSettingsDesktopPictureStore>();
    if (desktop->isAvailable())
        return desktop;
    return std::make_shared<FileDesktopPictureStore>();
}

} // namespace SystemPlatform
