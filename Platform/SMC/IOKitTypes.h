#pragma once

#include <cstdint>

// The handful of IOKit / Mach types and result codes the SMC shim speaks.
namespace IOKit {

using kern_return_t = std::uint32_t;
using io_object_t = std::uint32_t;
using io_iterator_t = io_object_t;
using io_service_t = io_object_t;
using io_connect_t = std::uint32_t;

inline constexpr kern_return_t kIOReturnSuccess = 0;
inline constexpr kern_return_t kIOReturnError = 0xE00002BC;
inline constexpr kern_return_t kIOReturnNoDevice = 0xE00002C0;
inline constexpr kern_return_t kIOReturnNotPrivileged = 0xE00002C1;
inline constexpr kern_return_t kIOReturnBadArgument = 0xE00002C2;
inline constexpr kern_return_t kIOReturnUnsupported = 0xE00002C7;
inline constexpr kern_return_t kIOReturnIOError = 0xE00002CA;
inline constexpr kern_return_t kIOReturnNotOpen = 0xE00002CD;
inline constexpr kern_return_t kIOReturnNotFound = 0xE00002F0;
inline constexpr kern_return_t MACH_SEND_INVALID_DEST = 0x10000003;

// The struct-method selector of the SMC user client and the size of its parameter record.
inline constexpr std::uint32_t kSMCUserClientSelector = 2;
inline constexpr std::uint32_t kSMCRecordSize = 80;

} // namespace IOKit
