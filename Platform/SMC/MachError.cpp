#include "Platform/SMC/MachError.h"

#include <array>
#include <charconv>
#include <utility>

namespace IOKit {

std::string machErrorString(kern_return_t code)
{
    static constexpr std::array<std::pair<kern_return_t, const char*>, 10> texts {{
        {kIOReturnSuccess, "(os/kern) successful"},
        {kIOReturnError, "(iokit/common) general error"},
        {kIOReturnNoDevice, "(iokit/common) no such device"},
        {kIOReturnNotPrivileged, "(iokit/common) privilege violation"},
        {kIOReturnBadArgument, "(iokit/common) invalid argument"},
        {kIOReturnUnsupported, "(iokit/common) unsupported function"},
        {kIOReturnIOError, "(iokit/common) I/O error"},
        {kIOReturnNotOpen, "(iokit/common) device not open"},
        {kIOReturnNotFound, "(iokit/common) data was not found"},
        {MACH_SEND_INVALID_DEST, "(ipc/send) invalid destination port"},
    }};
    for (const auto& [known, text] : texts) {
        if (known == code)
            return text;
    }
    char hex[16];
    const auto end = std::to_chars(hex, hex + sizeof hex, code, 16).ptr;
    const char* system = (code >> 26) == 0x38 ? "(iokit/common)" : "(os/kern)";
    return std::string(system) + " unknown error code 0x" + std::string(hex, end);
}

} // namespace IOKit
