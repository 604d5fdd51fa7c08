#include "QVToolsKit/UI/QVDiskVolumeManager.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/WorkspaceIcon.h"
#include "Platform/System/DiskArbitration.h"

namespace QVToolsKit {

QVDiskVolumeManager::QVDiskVolumeManager()
{
    using Formatter = Foundation::ByteCountFormatter;
    bytesFormatter_.setAllowedUnits(Formatter::useGB | Formatter::useTB);
    bytesFormatter_.setCountStyle(Formatter::CountStyle::file);
}

Foundation::SharedInstance<QVDiskVolumeManager>& QVDiskVolumeManager::instance()
{
    static Foundation::SharedInstance<QVDiskVolumeManager> shared(
        [](void* storage) { new (storage) QVDiskVolumeManager(); });
    return shared;
}

QVDiskVolumeManager& QVDiskVolumeManager::shared() { return instance().get(); }

std::string QVDiskVolumeManager::string(std::int64_t fromByteCount) const
{
    return bytesFormatter_.string(fromByteCount);
}

std::vector<VolumeInfo> QVDiskVolumeManager::getRemovableVolumes() const { return volumes(true); }

std::vector<VolumeInfo> QVDiskVolumeManager::getInternalVolumes() const { return volumes(false); }

std::vector<VolumeInfo> QVDiskVolumeManager::volumes(bool removable)
{
    std::vector<VolumeInfo> list;
    for (VolumeInfo& volume : mountedVolumes())
        if (volume.removable == removable)
            list.push_back(std::move(volume));
    return list;
}

std::vector<VolumeInfo> QVDiskVolumeManager::mountedVolumes()
{
    std::vector<VolumeInfo> list;
    const auto mounted = SystemPlatform::DiskArbitration::mountedVolumes();
    if (!mounted)
        return list;
    for (const SystemPlatform::MountedVolume& volume : *mounted) {
        if (volume.resources.isHidden.value_or(false))
            continue;
        if (auto info = getVolumeInfo(volume))
            list.push_back(std::move(*info));
    }
    return list;
}

std::optional<VolumeInfo> QVDiskVolumeManager::getVolumeInfo(const SystemPlatform::MountedVolume& volume)
{
    const auto& values = volume.resources;
    if (!values.name || !values.totalCapacity || !values.isRemovable || !values.availableCapacity || !values.isLocal
        || !values.localizedFormatDescription || !values.isEjectable || !values.isInternal)
        return std::nullopt;
    return VolumeInfo{*values.name,
                      *values.localizedFormatDescription,
                      Kit::WorkspaceIcon::iconForFile(volume.path),
                      *values.totalCapacity,
                      *values.availableCapacity,
                      *values.isRemovable,
                      *values.isEjectable,
                      *values.isInternal};
}

} // namespace QVToolsKit
