#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace Aerlo {

// The current reading of every HID event-system service with the given primary usage page and usage,
// by product name (a later service with the same name wins); nothing when the system gives no service
// list. Services without a product name or without an event of `eventType` are skipped.
std::optional<std::map<std::string, double>> HIDTemperatureReader(uint32_t page, uint32_t usage, int32_t eventType);

} // namespace Aerlo
