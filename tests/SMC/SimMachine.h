#pragma once

#include "Classes/Sensors/SMC.h"
#include "Platform/Foundation/ManualClock.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Platform/SMC/SimSmcTransport.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// A key for hand-made tables: bytes from the front, size defaulting to the type's.
inline SMCSim::KeyEntry smcKey(std::string key, std::string type, std::vector<std::uint8_t> bytes = {},
                               std::optional<std::uint32_t> size = std::nullopt, bool writable = true)
{
    SMCSim::KeyEntry entry;
    entry.key = std::move(key);
    entry.type = std::move(type);
    entry.size =
        size.value_or(SMCSim::ValueCodec::defaultSize(entry.type).value_or(static_cast<std::uint32_t>(bytes.size())));
    std::copy(bytes.begin(), bytes.end(), entry.bytes.begin());
    entry.writable = writable;
    return entry;
}

inline SMCSim::KeyTable smcTable(std::initializer_list<SMCSim::KeyEntry> entries, bool withKeyCount = true)
{
    SMCSim::KeyTable table;
    if (withKeyCount)
        table.upsert(smcKey("#KEY", "ui32", {}, 4, false));
    for (const auto& entry : entries)
        table.upsert(entry);
    return table;
}

inline SMCSim::MachineProfile loadProfile(const std::string& spec)
{
    auto profile = SMCSim::MachineProfile::load(spec);
    if (!profile)
        ADD_FAILURE() << "profile " << spec << " did not load";
    return profile ? *profile : SMCSim::MachineProfile {};
}

// A simulated Mac on a manual clock with an SMC client connected to it.
struct SimMachine {
    Foundation::ManualClock clock;
    std::shared_ptr<SMCSim::SimSmcDevice> device;
    std::shared_ptr<IOKit::ServiceRegistry> registry;
    std::unique_ptr<Aerlo::SMC> smc;

    explicit SimMachine(SMCSim::KeyTable keys, bool privileged = true)
        : device(std::make_shared<SMCSim::SimSmcDevice>(std::move(keys), SMCSim::DeviceSettings {}, clock))
    {
        connect(SMCSim::ServiceSettings {}, privileged);
    }

    explicit SimMachine(const std::string& profileSpec, bool privileged = true)
    {
        const auto profile = loadProfile(profileSpec);
        device = std::make_shared<SMCSim::SimSmcDevice>(profile, clock);
        connect(profile.service, privileged);
    }

    void connect(const SMCSim::ServiceSettings& service, bool privileged)
    {
        registry = IOKit::SMCEndpoint::registryForDevice(device, service, privileged);
        smc = std::make_unique<Aerlo::SMC>(registry);
        device->resetLog();
    }

    // Keys of the write exchanges, in order.
    std::vector<std::string> writtenKeys() const
    {
        std::vector<std::string> keys;
        for (const auto& exchange : device->exchanges(SMCSim::SimSmcDevice::kCommandWriteBytes))
            keys.push_back(exchange.key);
        return keys;
    }
};
