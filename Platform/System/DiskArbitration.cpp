#include "Platform/System/DiskArbitration.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ActiveMachine.h"

#include <algorithm>
#include <mutex>
#include <sys/statvfs.h>

namespace SystemPlatform {

namespace {

struct State {
    std::mutex mutex;
    std::optional<std::vector<MountedVolume>> volumes;
    bool volumeListFails = false;
    bool sessionFails = false;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

DiskDescription profileDescription(const SMCSim::DiskFacts& disk)
{
    return {
        {"DAMediaName", disk.mediaName},      {"DADeviceModel", disk.deviceModel}, {"DAMediaSize", disk.mediaSize},
        {"DAMediaRemovable", disk.removable}, {"DAVolumeName", disk.volumeName},
    };
}

struct RootFileSystem {
    std::int64_t size = 0;
    std::int64_t available = 0;
};

// The host's root file system: its size and the space an unprivileged user may take.
std::optional<RootFileSystem> rootFileSystem()
{
    struct statvfs root {};
    if (::statvfs("/", &root) != 0)
        return std::nullopt;
    const auto blockSize = static_cast<std::int64_t>(root.f_frsize);
    return RootFileSystem {static_cast<std::int64_t>(root.f_blocks) * blockSize,
                           static_cast<std::int64_t>(root.f_bavail) * blockSize};
}

DiskDescription rootFileSystemDescription(const std::optional<RootFileSystem>& root)
{
    DiskDescription description {{"DAMediaRemovable", false}};
    if (root)
        description.emplace("DAMediaSize", root->size);
    return description;
}

VolumeResourceValues resourceValues(const std::string& name, bool removable, const std::optional<RootFileSystem>& root,
                                    std::optional<std::int64_t> capacity, bool hidden)
{
    VolumeResourceValues values;
    values.name = name;
    values.totalCapacity = capacity ? capacity : (root ? std::optional(root->size) : std::nullopt);
    if (root && values.totalCapacity)
        values.availableCapacity = std::min(root->available, *values.totalCapacity);
    values.isRemovable = removable;
    values.isLocal = true;
    values.localizedFormatDescription = "APFS";
    values.isEjectable = removable;
    values.isInternal = !removable;
    values.isHidden = hidden;
    return values;
}

std::vector<MountedVolume> machineVolumes()
{
    const auto profile = ActiveMachine::profile();
    const auto root = rootFileSystem();
    MountedVolume boot {"/", "Macintosh HD", std::nullopt, {}};
    bool removable = false;
    std::optional<std::int64_t> capacity;
    if (profile && profile->facts.disk) {
        boot.name = profile->facts.disk->volumeName;
        boot.description = profileDescription(*profile->facts.disk);
        removable = profile->facts.disk->removable;
        capacity = profile->facts.disk->mediaSize;
    } else {
        boot.description = rootFileSystemDescription(root);
    }
    boot.resources = resourceValues(boot.name, removable, root, capacity, false);
    MountedVolume data {"/System/Volumes/Data", boot.name + " - Data", boot.description,
                        resourceValues(boot.name + " - Data", removable, root, capacity, true)};
    return {std::move(boot), std::move(data)};
}

std::vector<MountedVolume> currentVolumes()
{
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.volumes)
            return *s.volumes;
    }
    return machineVolumes();
}

} // namespace

std::optional<std::vector<MountedVolume>> DiskArbitration::mountedVolumes()
{
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.volumeListFails)
            return std::nullopt;
    }
    return currentVolumes();
}

std::optional<DASession> DiskArbitration::sessionCreate()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.sessionFails)
        return std::nullopt;
    return DASession {};
}

std::optional<DADisk> DiskArbitration::diskCreateFromVolumePath(const DASession&, std::string_view path)
{
    for (const MountedVolume& volume : currentVolumes())
        if (volume.path == path && volume.description)
            return DADisk {volume.path};
    return std::nullopt;
}

std::optional<DiskDescription> DiskArbitration::diskCopyDescription(const DADisk& disk)
{
    for (MountedVolume& volume : currentVolumes())
        if (volume.path == disk.volumePath)
            return std::move(volume.description);
    return std::nullopt;
}

void DiskArbitration::setVolumes(std::optional<std::vector<MountedVolume>> volumes)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.volumes = std::move(volumes);
}

void DiskArbitration::setVolumeListFailure(bool fails)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.volumeListFails = fails;
}

void DiskArbitration::setSessionFailure(bool fails)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.sessionFails = fails;
}

void DiskArbitration::resetForTesting()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.volumes.reset();
    s.volumeListFails = false;
    s.sessionFails = false;
}

} // namespace SystemPlatform
