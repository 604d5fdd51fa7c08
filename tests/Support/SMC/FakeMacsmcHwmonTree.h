#pragma once

#include "Platform/SMC/ApplesmcFiles.h"
#include "Platform/SMC/KeyTable.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace SMCSim {

class MachineProfile;

// The hwmon folder of the macsmc-hwmon driver over a key table, for tests without Apple-silicon hardware:
// "name", one channel per key of the kernel's labels (kept here, apart from the transport's own table, so
// that a label the transport expects wrongly fails) the table has ("tempN_label"/"_input"
// in milli-degrees, "inN" millivolts, "currN" milliamps, "powerN" microwatts; "in" from 0, the others from
// 1), and per fan "fanN_input", "_min", "_max", "_target" in RPM. Every file is read-only (a driver loaded
// without fan control): writes give EACCES and are counted. Missing files give ENOENT. Thread-safe.
class FakeMacsmcHwmonTree : public IOKit::ApplesmcFiles {
public:
    // The revisions of the kernel's device-tree files: TW0P is "WiFi/BT Module Temp" in the first,
    // "WiFi/BT Module Temperature" in the later one.
    enum class Labels { first, later };

    explicit FakeMacsmcHwmonTree(KeyTable keys, Labels labels = Labels::later);
    explicit FakeMacsmcHwmonTree(const MachineProfile& profile, Labels labels = Labels::later);

    Contents read(std::string_view name) override;
    int write(std::string_view name, std::string_view text) override;

    bool setValue(std::string_view key, double value);
    std::size_t writeAttempts() const;

private:
    struct Channel {
        std::string key;
        std::string label; // the channel's label; a fan's label file has no key
        double scale = 1;
    };

    mutable std::mutex mutex_;
    KeyTable keys_;
    std::map<std::string, Channel, std::less<>> channels_; // by channel name ("temp1", "fan1_min", …)
    std::size_t writeAttempts_ = 0;
};

} // namespace SMCSim
