#pragma once

#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"

#include <string_view>

namespace Kit {

// The icons the workspace shows for items of the file system. This platform has no per-item icons to
// ask for: every path gets the generic drive image, 32 × 32 points, never an empty image.
class AERLO_KIT_EXPORT WorkspaceIcon {
public:
    static Image iconForFile(std::string_view path);
    static constexpr double size = 32;
};

} // namespace Kit
