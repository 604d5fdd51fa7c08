#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Image.h"

#include <cstdint>
#include <string>

namespace QVToolsKit {

// A mounted volume as the disk-volume manager lists it. Capacities are in bytes.
struct QVTOOLSKITUI_EXPORT VolumeInfo {
    std::string name;
    // The volume's format, as the system describes it ("APFS").
    std::string volumeType;
    // The workspace's icon for the volume's path; never an empty image.
    Kit::Image image;
    std::int64_t capacity = 0;
    std::int64_t available = 0;
    bool removable = false;
    bool isEjectable = false;
    bool isInternal = false;
};

} // namespace QVToolsKit
