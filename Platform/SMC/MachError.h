#pragma once

#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/SMCExport.h"

#include <string>

namespace IOKit {

// The system's text for a result code, as mach_error_string gives it for the codes the shim emits;
// other codes get a generic text naming the system and the code.
AERLO_SMC_EXPORT std::string machErrorString(kern_return_t code);

} // namespace IOKit
