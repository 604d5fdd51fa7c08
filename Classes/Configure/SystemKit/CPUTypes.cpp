#include "Classes/Configure/SystemKit/CPUTypes.h"

#include "Classes/Configure/Global/StringExtension.h"
#include "Platform/System/Kernel.h"

#include <algorithm>

namespace Aerlo::CPUTypes {

std::optional<std::string> machineString()
{
    SystemPlatform::utsname name;
    if (SystemPlatform::Kernel::uname(&name) != 0)
        return std::nullopt;
    const std::string_view field(name.machine, sizeof name.machine);
    if (std::any_of(field.begin(), field.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::nullopt;
    return trimmingControlCharacters(field);
}

} // namespace Aerlo::CPUTypes
