#pragma once

#include "Platform/SMC/SMCExport.h"

#include <string>
#include <string_view>

namespace IOKit {

// The files of the kernel's applesmc device as its transport uses them: a whole read or a whole write
// of one file by name ("key_count", "fan1_output", …), answered with the errno the kernel gives
// (0 on success). Injected into ApplesmcTransport: sysfs on a real Mac, a fake tree in tests.
class AERLO_SMC_EXPORT ApplesmcFiles {
public:
    struct Contents {
        int error = 0;
        std::string bytes;
    };

    virtual ~ApplesmcFiles() = default;
    virtual Contents read(std::string_view name) = 0;
    virtual int write(std::string_view name, std::string_view text) = 0;
};

} // namespace IOKit
