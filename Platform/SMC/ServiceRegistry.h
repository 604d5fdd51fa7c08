#pragma once

#include "Platform/SMC/SMCExport.h"

#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/SMCTransport.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace IOKit {

// A matching dictionary: services whose class name equals `className`.
struct AERLO_SMC_EXPORT MatchingDictionary {
    std::string className;
};

// The kernel's service registry as the SMC client sees it: services by class name, iterators,
// user-client connections and their struct-method calls. Object and connection handles are
// non-zero numbers valid in this registry only.
class AERLO_SMC_EXPORT ServiceRegistry {
public:
    ServiceRegistry() = default;
    ServiceRegistry(const ServiceRegistry&) = delete;
    ServiceRegistry& operator=(const ServiceRegistry&) = delete;

    // A registry with one "AppleSMC" service served by `transport`.
    static std::shared_ptr<ServiceRegistry> withSMC(std::shared_ptr<SMCTransport> transport);

    // The process's registry, made on first use from the environment (SMCEndpoint); tests replace it.
    static std::shared_ptr<ServiceRegistry> defaultRegistry();
    // Replaces the process's registry; nullptr makes the next use build it from the environment again.
    static void replaceDefaultRegistry(std::shared_ptr<ServiceRegistry> registry);

    void registerService(const std::string& className, std::shared_ptr<SMCTransport> transport);
    // Makes getMatchingServices fail with `code` (0: matching works).
    void setMatchingFailure(kern_return_t code);

    // IOServiceMatching
    MatchingDictionary serviceMatching(std::string_view className) const;
    // IOServiceGetMatchingServices: an iterator over the matching services (possibly none).
    kern_return_t getMatchingServices(const MatchingDictionary& matching, io_iterator_t& iterator);
    // IOIteratorNext: the next service, 0 when there is none.
    io_service_t iteratorNext(io_iterator_t iterator);
    // IOObjectRelease
    kern_return_t objectRelease(io_object_t object);
    // IOServiceOpen: a connection of `type` to the service.
    kern_return_t serviceOpen(io_service_t service, std::uint32_t type, io_connect_t& connect);
    // IOConnectCallStructMethod: sizes must be those of the SMC record.
    kern_return_t connectCallStructMethod(io_connect_t connect, std::uint32_t selector, const void* input,
                                          std::size_t inputSize, void* output, std::size_t* outputSize);
    // IOServiceClose: the handle is gone afterwards whatever the code.
    kern_return_t serviceClose(io_connect_t connect);
    // The generation of the transport behind a connection (SMCTransport::generation), 0 for none.
    std::uint64_t connectionGeneration(io_connect_t connect) const;

    // Objects (iterators and services) and connections still held, for leak checks in tests.
    std::size_t liveObjects() const;
    std::size_t openConnections() const;

private:
    struct Iterator {
        std::vector<std::string> classNames;
        std::size_t position = 0;
    };
    struct Connection {
        std::shared_ptr<SMCTransport> transport;
        std::uint32_t handle = 0;
    };

    io_object_t nextHandle();

    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<SMCTransport>, std::less<>> services_;
    kern_return_t matchingFailure_ = kIOReturnSuccess;
    std::map<io_object_t, Iterator> iterators_;
    std::map<io_object_t, std::string> serviceObjects_;
    std::map<io_connect_t, Connection> connections_;
    io_object_t lastHandle_ = 0x1000;
};

} // namespace IOKit
