#include "Platform/SMC/ServiceRegistry.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/SMC/SMCEndpoint.h"

#include <algorithm>

namespace IOKit {

namespace {

Foundation::SharedInstance<std::shared_ptr<ServiceRegistry>>& defaultSlot()
{
    static Foundation::SharedInstance<std::shared_ptr<ServiceRegistry>> registry(
        [] { return SMCEndpoint::makeRegistry(SMCEndpoint::specFromEnvironment(), false); });
    return registry;
}

} // namespace

std::shared_ptr<ServiceRegistry> ServiceRegistry::withSMC(std::shared_ptr<SMCTransport> transport)
{
    auto registry = std::make_shared<ServiceRegistry>();
    registry->registerService("AppleSMC", std::move(transport));
    return registry;
}

std::shared_ptr<ServiceRegistry> ServiceRegistry::defaultRegistry()
{
    return defaultSlot().get();
}

void ServiceRegistry::replaceDefaultRegistry(std::shared_ptr<ServiceRegistry> registry)
{
    defaultSlot().replace(std::move(registry));
}

void ServiceRegistry::registerService(const std::string& className, std::shared_ptr<SMCTransport> transport)
{
    std::lock_guard lock(mutex_);
    services_[className] = std::move(transport);
}

void ServiceRegistry::setMatchingFailure(kern_return_t code)
{
    std::lock_guard lock(mutex_);
    matchingFailure_ = code;
}

MatchingDictionary ServiceRegistry::serviceMatching(std::string_view className) const
{
    return MatchingDictionary{std::string(className)};
}

io_object_t ServiceRegistry::nextHandle()
{
    return ++lastHandle_;
}

kern_return_t ServiceRegistry::getMatchingServices(const MatchingDictionary& matching, io_iterator_t& iterator)
{
    std::lock_guard lock(mutex_);
    iterator = 0;
    if (matchingFailure_ != kIOReturnSuccess)
        return matchingFailure_;
    Iterator found;
    if (services_.contains(matching.className))
        found.classNames.push_back(matching.className);
    iterator = nextHandle();
    iterators_.emplace(iterator, std::move(found));
    return kIOReturnSuccess;
}

io_service_t ServiceRegistry::iteratorNext(io_iterator_t iterator)
{
    std::lock_guard lock(mutex_);
    auto it = iterators_.find(iterator);
    if (it == iterators_.end() || it->second.position >= it->second.classNames.size())
        return 0;
    const io_service_t service = nextHandle();
    serviceObjects_.emplace(service, it->second.classNames[it->second.position++]);
    return service;
}

kern_return_t ServiceRegistry::objectRelease(io_object_t object)
{
    std::lock_guard lock(mutex_);
    if (iterators_.erase(object) || serviceObjects_.erase(object))
        return kIOReturnSuccess;
    return kIOReturnBadArgument;
}

kern_return_t ServiceRegistry::serviceOpen(io_service_t service, std::uint32_t type, io_connect_t& connect)
{
    connect = 0;
    std::shared_ptr<SMCTransport> transport;
    {
        std::lock_guard lock(mutex_);
        auto object = serviceObjects_.find(service);
        if (object == serviceObjects_.end())
            return kIOReturnBadArgument;
        auto entry = services_.find(object->second);
        if (entry == services_.end())
            return kIOReturnNoDevice;
        transport = entry->second;
    }
    std::uint32_t handle = 0;
    const kern_return_t result = transport->open(type, handle);
    if (result != kIOReturnSuccess)
        return result;
    std::lock_guard lock(mutex_);
    connect = nextHandle();
    connections_.emplace(connect, Connection{std::move(transport), handle});
    return kIOReturnSuccess;
}

kern_return_t ServiceRegistry::connectCallStructMethod(io_connect_t connect, std::uint32_t selector,
                                                       const void* input, std::size_t inputSize, void* output,
                                                       std::size_t* outputSize)
{
    Connection connection;
    {
        std::lock_guard lock(mutex_);
        auto it = connections_.find(connect);
        if (it == connections_.end())
            return MACH_SEND_INVALID_DEST;
        connection = it->second;
    }
    if (!input || !output || !outputSize || inputSize != kSMCRecordSize || *outputSize < kSMCRecordSize)
        return kIOReturnBadArgument;
    SMCRecord in;
    SMCRecord out{};
    std::copy_n(static_cast<const std::uint8_t*>(input), kSMCRecordSize, in.begin());
    const kern_return_t result = connection.transport->call(connection.handle, selector, in, out);
    std::copy(out.begin(), out.end(), static_cast<std::uint8_t*>(output));
    *outputSize = kSMCRecordSize;
    return result;
}

kern_return_t ServiceRegistry::serviceClose(io_connect_t connect)
{
    Connection connection;
    {
        std::lock_guard lock(mutex_);
        auto it = connections_.find(connect);
        if (it == connections_.end())
            return MACH_SEND_INVALID_DEST;
        connection = std::move(it->second);
        connections_.erase(it);
    }
    return connection.transport->close(connection.handle);
}

std::uint64_t ServiceRegistry::connectionGeneration(io_connect_t connect) const
{
    std::shared_ptr<SMCTransport> transport;
    {
        std::lock_guard lock(mutex_);
        const auto it = connections_.find(connect);
        if (it == connections_.end())
            return 0;
        transport = it->second.transport;
    }
    return transport->generation();
}

std::size_t ServiceRegistry::liveObjects() const
{
    std::lock_guard lock(mutex_);
    return iterators_.size() + serviceObjects_.size();
}

std::size_t ServiceRegistry::openConnections() const
{
    std::lock_guard lock(mutex_);
    return connections_.size();
}

} // namespace IOKit
