#include "Classes/Configure/SystemKit/QVSystemHardwareInfo.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/Foundation/TextUtilities.h"

namespace Aerlo {

std::string QVSystemHardwareInfo::chipKeyword = "m8";

std::string QVSystemHardwareInfo::cpuDescription() { return cpuDescription(SystemKit::shared().device.info.cpu); }

std::string QVSystemHardwareInfo::cpuDescription(const std::optional<cpu_s>& cpu)
{
    if (!cpu)
        return LocalizationTable::text("Unknown");
    const std::string name = cpu->name.value_or("");
    if (!cpu->physicalCores && !cpu->logicalCores)
        return cpu->name ? name : LocalizationTable::text("Unknown");

    std::string counts;
    if (cpu->physicalCores)
        counts = localizedString("Number of cores", {std::to_string(*cpu->physicalCores)});
    if (cpu->logicalCores) {
        if (!counts.empty())
            counts += ", ";
        counts += localizedString("Number of threads", {std::to_string(*cpu->logicalCores)});
    }
    return name.empty() ? counts : name + " (" + counts + ")";
}

bool QVSystemHardwareInfo::cpuMatchesChipKeyword()
{
    return Foundation::lowercased(cpuDescription()).find(chipKeyword) != std::string::npos;
}

} // namespace Aerlo
