#include "Platform/SMC/SimSmcTransport.h"

namespace SMCSim {

SimSmcTransport::SimSmcTransport(std::shared_ptr<SimSmcDevice> device, bool privileged)
    : device_(std::move(device)), privileged_(privileged)
{
}

kern_return_t SimSmcTransport::open(std::uint32_t type, std::uint32_t& connection)
{
    return device_->open(type, privileged_, connection);
}

kern_return_t SimSmcTransport::call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                                    IOKit::SMCRecord& output)
{
    return device_->call(connection, selector, input, output);
}

kern_return_t SimSmcTransport::close(std::uint32_t connection) { return device_->close(connection); }

} // namespace SMCSim
