#pragma once

#include "Platform/SMC/SMCExport.h"

#include "Platform/SMC/IOKitTypes.h"

#include <array>
#include <cstdint>

namespace IOKit {

// The SMC parameter record as it crosses the user-client boundary.
using SMCRecord = std::array<std::uint8_t, kSMCRecordSize>;

// What stands behind the "AppleSMC" service: the in-process simulated device, a socket client of the
// shared simulator, or later the Linux applesmc driver. Whether a connection may write is fixed when
// the transport is made (an unprivileged transport's writes fail with kIOReturnNotPrivileged).
class AERLO_SMC_EXPORT SMCTransport {
public:
    virtual ~SMCTransport() = default;

    // Opens one user-client connection of `type`; on success `connection` is non-zero.
    virtual kern_return_t open(std::uint32_t type, std::uint32_t& connection) = 0;
    // One struct-method exchange: a request record in, the kernel result code and a reply record out.
    // Atomic with respect to every other exchange on the same transport, from any thread.
    virtual kern_return_t call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                               SMCRecord& output) = 0;
    virtual kern_return_t close(std::uint32_t connection) = 0;
    // Changes whenever the SMC behind the transport may have restarted (a fresh connection to it, a new
    // key map): what a client learnt of the keys before holds no longer. Constant for a transport
    // whose SMC cannot restart under it.
    virtual std::uint64_t generation() const { return 0; }
};

} // namespace IOKit
