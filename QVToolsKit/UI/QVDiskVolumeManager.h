#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Foundation/ByteCountFormatter.h"
#include "QVToolsKit/UI/VolumeInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace SystemPlatform {
struct MountedVolume;
}

namespace QVToolsKit {

// The mounted volumes, split into removable and other ones, and byte counts as volume-size texts.
// Hidden volumes, and volumes whose values cannot all be read, are left out; lists keep the system's order.
class QVTOOLSKITUI_EXPORT QVDiskVolumeManager {
public:
    static QVDiskVolumeManager& shared();
    virtual ~QVDiskVolumeManager() = default;

    // In GB or TB, steps of 1000 ("500.28 GB", "Zero KB" for 0).
    virtual std::string string(std::int64_t fromByteCount) const;
    // The volumes whose removable flag is set.
    virtual std::vector<VolumeInfo> getRemovableVolumes() const;
    // Every other volume, internal or not.
    virtual std::vector<VolumeInfo> getInternalVolumes() const;

protected:
    QVDiskVolumeManager();

private:
    static Foundation::SharedInstance<QVDiskVolumeManager>& instance();
    static std::vector<VolumeInfo> mountedVolumes();
    static std::optional<VolumeInfo> getVolumeInfo(const SystemPlatform::MountedVolume& volume);
    static std::vector<VolumeInfo> volumes(bool removable);

    Foundation::ByteCountFormatter bytesFormatter_;
};

} // namespace QVToolsKit
