#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// One event copied from a service: its type and its reading.
struct AERLO_SYSTEM_EXPORT HIDEvent {
    int32_t type = 0;
    double value = 0;

    // The reading under the type's base field (type << 16); 0 for any other field.
    double floatValue(uint32_t field) const;
};

// One service of the HID event system.
struct AERLO_SYSTEM_EXPORT HIDService {
    std::optional<std::string> product;
    uint32_t primaryUsagePage = 0;
    uint32_t primaryUsage = 0;
    std::map<int32_t, double> events; // current reading by event type

    // "Product", "PrimaryUsagePage" or "PrimaryUsage" as text; nothing for other keys or no product.
    std::optional<std::string> copyProperty(std::string_view key) const;
    std::optional<HIDEvent> copyEvent(int32_t type) const;
};

// A client of the HID event system of the simulated Mac. The machine's services come from the
// "hid" section of the active machine's profile file (ActiveMachine): entries
// {"product": text, "usagePage": n, "usage": n, "eventType": n, "value": x}.
class AERLO_SYSTEM_EXPORT HIDEventSystemClient {
public:
    HIDEventSystemClient();

    // {"PrimaryUsagePage": page, "PrimaryUsage": usage}; only services matching every entry are copied.
    void setMatching(std::map<std::string, uint32_t> matching);
    // The matching services, or nothing when the system gives no list.
    std::optional<std::vector<HIDService>> copyServices() const;

    // Tests: the machine's services (nothing: the system gives no list).
    static void setMachineServices(std::optional<std::vector<HIDService>> services);
    // The "hid" section of a profile (none: no services), or what is malformed in it.
    [[nodiscard]] static Foundation::Result<std::vector<HIDService>> servicesFromProfile(std::string_view json);

private:
    std::optional<std::vector<HIDService>> services_;
    std::map<std::string, uint32_t> matching_;

    friend struct ::TestAccess;
    // Back to the profile's services.
    static void resetForTesting();
};

} // namespace SystemPlatform
