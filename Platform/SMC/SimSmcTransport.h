#pragma once

#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/SMCTransport.h"
#include "Platform/SMC/SimSmcDevice.h"

#include <memory>

namespace SMCSim {

// The "AppleSMC" service backed by a simulated device in this process. A privileged transport's
// connections may write, as root's do on macOS.
class AERLO_SMC_EXPORT SimSmcTransport : public IOKit::SMCTransport {
public:
    SimSmcTransport(std::shared_ptr<SimSmcDevice> device, bool privileged);

    kern_return_t open(std::uint32_t type, std::uint32_t& connection) override;
    kern_return_t call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                       IOKit::SMCRecord& output) override;
    kern_return_t close(std::uint32_t connection) override;

    const std::shared_ptr<SimSmcDevice>& device() const { return device_; }
    bool privileged() const { return privileged_; }

private:
    std::shared_ptr<SimSmcDevice> device_;
    bool privileged_;
};

} // namespace SMCSim
