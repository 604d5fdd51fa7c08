#pragma once

#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/SystemExport.h"

#include <string>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// The system profiler of the simulated Mac. What the real tool prints, in its shapes, for the data
// types "SPHardwareDataType", "SPMemoryDataType" and "SPDisplaysDataType" with "-json", and the
// plain-text hardware report. The stand-in program "system_profiler" prints run()'s text for the
// active machine; installStandIn() makes "/usr/sbin/system_profiler" start it.
class AERLO_SYSTEM_EXPORT SystemProfiler {
public:
    // One JSON object holding every requested data type (an unknown one as an empty list), or with
    // `json` false the plain-text reports one after the other (only the hardware report has text).
    static std::string report(const SMCSim::MachineProfile& profile, const std::vector<std::string>& dataTypes,
                              bool json);
    // The tool's command line ("SPHardwareDataType", "-json", …) for the active machine; the empty
    // text when there is none.
    static std::string run(const std::vector<std::string>& arguments);

    // The stand-in program of this build.
    static std::string standInPath();
    // Points "/usr/sbin/system_profiler" at the stand-in program (Foundation::ToolMap).
    static void installStandIn();
};

} // namespace SystemPlatform
