#pragma once

#include "Classes/Configure/SystemKit/device_s.h"

#include <optional>
#include <string>

namespace Aerlo {

// The processor line of the system record and the chip-keyword test.
class QVSystemHardwareInfo {
public:
    // The processor name with its localised core and thread counts: "Apple M1 Pro (10 cores, 10 threads)";
    // the counts alone without a name, the name alone without counts, the localised "Unknown" without both.
    static std::string cpuDescription();
    // The same for any processor record.
    static std::string cpuDescription(const std::optional<cpu_s>& cpu);
    // Whether the lower-cased processor line holds the chip keyword.
    static bool cpuMatchesChipKeyword();

    // The chip keyword: "m8" from the start; nothing writes it.
    static std::string chipKeyword;
};

} // namespace Aerlo
