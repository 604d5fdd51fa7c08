#pragma once

#include "Platform/SMC/SMCExport.h"

#include <optional>
#include <string_view>

namespace SMCSim {

class KeyTable;

// Values that change while the device runs (fan speeds, temperatures, power), supplied by a model.
// Both calls run under the device's lock: read other keys through `keys`, never through the device.
// `now` is device time in seconds since the device was made.
class AERLO_SMC_EXPORT DynamicValues {
public:
    virtual ~DynamicValues() = default;
    // The number `key` holds now, encoded into its type by the device; nullopt leaves the stored bytes.
    virtual std::optional<double> valueFor(std::string_view key, const KeyTable& keys, double now) = 0;
    // A key was written (a fan's target, minimum or mode, the forced mask, ...).
    virtual void keyWritten(std::string_view key, const KeyTable& keys, double now)
    {
        (void)key;
        (void)keys;
        (void)now;
    }
};

} // namespace SMCSim
