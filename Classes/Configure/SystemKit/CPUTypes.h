#pragma once

#include <optional>
#include <string>

namespace Aerlo {

// Type-level facts of CPUType.
namespace CPUTypes {
// The kernel's machine architecture ("x86_64", "arm64"), trimmed of control characters; nothing
// when uname fails or the field is not ASCII.
std::optional<std::string> machineString();
} // namespace CPUTypes

} // namespace Aerlo
