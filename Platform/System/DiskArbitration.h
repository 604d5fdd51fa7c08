#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace SystemPlatform {

// A description entry: text, whole number, floating-point number or truth value.
using DiskValue = std::variant<std::string, std::int64_t, double, bool>;
// "DAMediaName", "DADeviceModel", "DAMediaSize", "DAMediaRemovable", "DAVolumeName", …
using DiskDescription = std::map<std::string, DiskValue, std::less<>>;

// What the file manager tells of a mounted volume's URL; a value that cannot be read is absent.
struct AERLO_SYSTEM_EXPORT VolumeResourceValues {
    std::optional<std::string> name;
    std::optional<std::int64_t> totalCapacity;
    std::optional<std::int64_t> availableCapacity;
    std::optional<bool> isRemovable;
    std::optional<bool> isLocal;
    std::optional<std::string> localizedFormatDescription;
    std::optional<bool> isEjectable;
    std::optional<bool> isInternal;
    std::optional<bool> isHidden;
};

// A mounted volume with the disk description behind it (none: no disk object can be made of it).
struct AERLO_SYSTEM_EXPORT MountedVolume {
    std::string path;
    std::string name;
    std::optional<DiskDescription> description;
    VolumeResourceValues resources;
};

struct AERLO_SYSTEM_EXPORT DASession {};
struct AERLO_SYSTEM_EXPORT DADisk {
    std::string volumePath;
};

// The mounted volumes and DiskArbitration of the simulated Mac: the boot volume "/" (and the hidden
// "/System/Volumes/Data" volume beside it) described from the active machine profile's disk, or,
// when the profile has none, from the size of the host's root file system; the free space is the host
// root file system's (no more than the capacity). Thread-safe.
class AERLO_SYSTEM_EXPORT DiskArbitration {
public:
    // The mounted volumes with their names; nothing when the list cannot be had.
    static std::optional<std::vector<MountedVolume>> mountedVolumes();
    // DASessionCreate.
    static std::optional<DASession> sessionCreate();
    // DADiskCreateFromVolumePath: nothing for a path that is no mounted volume with a disk.
    static std::optional<DADisk> diskCreateFromVolumePath(const DASession& session, std::string_view path);
    // DADiskCopyDescription.
    static std::optional<DiskDescription> diskCopyDescription(const DADisk& disk);

    // Replaces the volumes (tests); nothing goes back to the active machine's.
    static void setVolumes(std::optional<std::vector<MountedVolume>> volumes);
    // Failure switches (tests).
    static void setVolumeListFailure(bool fails);
    static void setSessionFailure(bool fails);

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace SystemPlatform
