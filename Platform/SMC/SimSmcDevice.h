#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/SMC/DynamicValues.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/KeyTable.h"
#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/SMCTransport.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace SMCSim {

class MachineProfile;

using IOKit::kern_return_t;

// What the device answers for a key it does not have.
enum class MissingKeyPolicy {
    quiet, // kernel success, SMC result 0x84, size 0 (as real hardware does)
    kernelError, // the kernel call fails with the device's missing-key code
};

// An injected failure: exchanges matching the command (any when absent) and the key (commands 5, 6, 9)
// or index (command 8) fail at the kernel with `code`, `times` times (negative: always).
struct AERLO_SMC_EXPORT FaultRule {
    std::optional<std::uint8_t> command;
    std::optional<std::string> key;
    std::optional<std::uint32_t> index;
    kern_return_t code = IOKit::kIOReturnError;
    int times = -1;
};

// Device behaviour that profiles and overlays set.
struct AERLO_SMC_EXPORT DeviceSettings {
    MissingKeyPolicy missingKeyPolicy = MissingKeyPolicy::quiet;
    kern_return_t missingKeyCode = IOKit::kIOReturnNotFound;
    // Writes to a read-only key fail at the kernel (kIOReturnBadArgument) instead of with SMC result 0x86.
    bool strictWrites = false;
    kern_return_t openFailure = IOKit::kIOReturnSuccess;
    kern_return_t closeFailure = IOKit::kIOReturnSuccess;
    std::vector<FaultRule> faults;
};

// One exchange as the device saw it.
struct AERLO_SMC_EXPORT Exchange {
    std::uint32_t connection = 0;
    bool privileged = false;
    std::thread::id thread;
    std::uint32_t selector = 0;
    std::uint8_t command = 0;
    std::string key; // the input key (four bytes), empty for command 8
    std::uint32_t index = 0; // the input data32
    std::uint32_t dataSize = 0; // the input dataSize
    ValueBytes bytes {}; // the input bytes (what a write sent)
    kern_return_t result = 0;
    std::uint8_t smcResult = 0;
    double time = 0; // device time
};

// The simulated System Management Controller: a sorted key table answering the SMC user client's
// commands 5 (read bytes), 6 (write bytes), 8 (key at index) and 9 (key information) over connections
// that are privileged (may write) or not. A key that is not writable refuses writes with SMC result
// 0x86; a key whose read the firmware refuses answers with its recorded failure and result. Thread-safe: one lock
// around the whole state, so exchanges from several threads and connections interleave whole.
class AERLO_SMC_EXPORT SimSmcDevice {
public:
    static constexpr std::uint8_t kCommandReadBytes = 5;
    static constexpr std::uint8_t kCommandWriteBytes = 6;
    static constexpr std::uint8_t kCommandKeyAtIndex = 8;
    static constexpr std::uint8_t kCommandKeyInfo = 9;
    static constexpr std::uint8_t kSMCKeyNotFound = 0x84;
    static constexpr std::uint8_t kSMCNotReadable = 0x85;
    static constexpr std::uint8_t kSMCNotWritable = 0x86;
    static constexpr std::uint8_t kSMCBadSize = 0x89;
    static constexpr std::size_t logCapacity = 65536;

    explicit SimSmcDevice(KeyTable keys, DeviceSettings settings = {},
                          Foundation::Clock& clock = Foundation::Clock::system());
    explicit SimSmcDevice(const MachineProfile& profile, Foundation::Clock& clock = Foundation::Clock::system());
    SimSmcDevice(const SimSmcDevice&) = delete;
    SimSmcDevice& operator=(const SimSmcDevice&) = delete;

    // The user client.
    kern_return_t open(std::uint32_t type, bool privileged, std::uint32_t& connection);
    kern_return_t call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                       IOKit::SMCRecord& output);
    kern_return_t close(std::uint32_t connection);

    // Switches.
    void setOpenFailure(kern_return_t code);
    void setCloseFailure(kern_return_t code);
    void setMissingKeyPolicy(MissingKeyPolicy policy, kern_return_t code = IOKit::kIOReturnNotFound);
    void setStrictWrites(bool strict);
    void addFault(FaultRule rule);
    void clearFaults();
    void setDynamicValues(std::shared_ptr<DynamicValues> values);

    // The key table.
    std::optional<KeyEntry> entry(std::string_view key) const;
    std::vector<KeyEntry> entries() const;
    std::optional<double> value(std::string_view key) const;
    [[nodiscard]] bool setValue(std::string_view key, double value);
    [[nodiscard]] bool setBytes(std::string_view key, const ValueBytes& bytes);
    void upsertKey(KeyEntry entry);
    [[nodiscard]] bool removeKey(std::string_view key);
    // Runs `edit` on the table under the device's lock (several changes at once).
    void editKeys(const std::function<void(KeyTable&)>& edit);

    // The exchange log (oldest first, the last logCapacity exchanges) and counters since the last reset.
    std::vector<Exchange> exchanges() const;
    std::vector<Exchange> exchanges(std::uint8_t command) const;
    std::size_t exchangeCount() const;
    std::size_t exchangeCount(std::uint8_t command) const;
    std::size_t openCount() const;
    std::size_t closeCount() const;
    std::size_t openConnections() const;
    void resetLog();

    // Seconds since the device was made, on its clock.
    double now() const;

private:
    struct Reply {
        kern_return_t result = 0;
        std::uint8_t smcResult = 0;
    };

    Reply execute(bool privileged, const Exchange& request, IOKit::SMCRecord& output);
    Reply missingKey() const;
    std::optional<kern_return_t> takeFault(const Exchange& request);
    void refreshValue(KeyEntry& entry, double time);

    mutable std::mutex mutex_;
    KeyTable keys_;
    DeviceSettings settings_;
    Foundation::Clock& clock_;
    double start_;
    std::shared_ptr<DynamicValues> dynamicValues_;
    std::map<std::uint32_t, bool> connections_; // handle → privileged
    std::uint32_t lastConnection_ = 0;
    std::deque<Exchange> log_;
    std::map<std::uint8_t, std::size_t> counts_;
    std::size_t total_ = 0;
    std::size_t opens_ = 0;
    std::size_t closes_ = 0;
};

} // namespace SMCSim
