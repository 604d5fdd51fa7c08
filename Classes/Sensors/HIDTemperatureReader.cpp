#include "Classes/Sensors/HIDTemperatureReader.h"

#include "Platform/System/HIDEventSystemClient.h"

namespace Aerlo {

std::optional<std::map<std::string, double>> HIDTemperatureReader(uint32_t page, uint32_t usage, int32_t eventType)
{
    SystemPlatform::HIDEventSystemClient client;
    client.setMatching({{"PrimaryUsagePage", page}, {"PrimaryUsage", usage}});
    const auto services = client.copyServices();
    if (!services)
        return std::nullopt;
    std::map<std::string, double> readings;
    for (const auto& service : *services) {
        const auto product = service.copyProperty("Product");
        const auto event = service.copyEvent(eventType);
        if (event && product)
            readings[*product] = event->floatValue(static_cast<uint32_t>(eventType) << 16);
    }
    return readings;
}

} // namespace Aerlo
