#pragma once

#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/SystemExport.h"

#include <memory>
#include <string>
#include <string_view>

namespace SystemPlatform {

// The Mac the system-facts stand-ins answer for: the profile named by AERLO_MACHINE (default
// MachineProfile::defaultName), or, when none is named and the SMC is the applesmc driver, the real
// machine (HostMachine); made on first use and kept. Thread-safe.
class AERLO_SYSTEM_EXPORT ActiveMachine {
public:
    // The profile; null when it cannot be loaded (the loader printed why), and every fact is then missing.
    static std::shared_ptr<const SMCSim::MachineProfile> profile();
    // The profile spec in use ("name[+overlay…]" or a file path).
    static std::string spec();

    // Switches to another profile spec and exports it as AERLO_MACHINE, so that stand-in programs
    // started afterwards answer for the same machine (tests). An empty spec goes back to the default.
    static void select(std::string_view spec);
    // Uses `profile` as it is (tests); stand-in programs still read AERLO_MACHINE.
    static void set(std::shared_ptr<const SMCSim::MachineProfile> profile);
    // Forgets the loaded profile: the next use reads AERLO_MACHINE again.
    static void reset();
};

} // namespace SystemPlatform
