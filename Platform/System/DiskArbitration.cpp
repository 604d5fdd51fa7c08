#include "Platform/System/DiskArbitration.h"

#include "Platform/System/ActiveMachine.h"

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
    static State state;
    return state;
}

DiskDescription profileDescription(const SMCSim::DiskFacts& disk)
{
    return {
        {"DAMediaName", disk.mediaName},
        {"DADeviceModel", disk.deviceModel},
        {"DAMediaSize", disk.mediaSize},
        {"DAMediaRemovable", disk.removable},
        {"DAVolumeName", disk.volumeName},
    };
}

// The host's root file system: its size only.
DiskDescription rootFileSystemDescription()
{
    DiskDescription description{{"DAMediaRemovable", false}};
    struct statvfs root {};
    if (::statvfs("/", &root) == 0)
        description.emplace("DAMediaSize", static_cast<std::int64_t>(root.f_blocks) * static_cast<std::int64_t>(root.f_frsize));
    return description;
}

std::vector<MountedVolume> machineVolumes()
{
    const auto profile = ActiveMachine::profile();
    MountedVolume boot{"/", "Macintosh HD", std::nullopt};
    if (profile && profile->facts.disk) {
        boot.name = profile->facts.disk->volumeName;
        boot.description = profileDescription(*profile->facts.disk);
    } else {
        boot.description = rootFileSystemDescription();
    }
    MountedVolume data{"/System/Volumes/Data", boot.name + " - Data", boot.description};
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
    return DASession{};
}

std::optional<DADisk> DiskArbitration::diskCreateFromVolumePath(const DASession&, std::string_view path)
{
    for (const MountedVolume& volume : currentVolumes())
        if (volume.path == path && volume.description)
            return DADisk{volume.path};
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

void DiskArbitration::reset()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.volumes.reset();
    s.volumeListFails = false;
    s.sessionFails = false;
}

} // namespace SystemPlatform
