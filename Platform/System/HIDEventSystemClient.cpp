#include "Platform/System/HIDEventSystemClient.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/ActiveMachine.h"

#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>

namespace SystemPlatform {

namespace {

using json = nlohmann::json;

struct MachineServices {
    std::mutex mutex;
    bool loaded = false;
    std::optional<std::vector<HIDService>> services;
};

MachineServices& machine()
{
    static Foundation::SharedInstance<MachineServices> services;
    return services.get();
}

// The profile file of the simulated Mac the system facts answer for.
std::filesystem::path profilePath()
{
    std::string spec = ActiveMachine::spec();
    spec = spec.substr(0, spec.find('+'));
    if (spec.find('/') != std::string::npos || spec.ends_with(".json"))
        return spec;
    return SMCSim::MachineProfile::directory() / (spec + ".json");
}

std::optional<std::vector<HIDService>> loadMachineServices()
{
    const auto path = profilePath();
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    auto services = file ? HIDEventSystemClient::servicesFromProfile(text.str())
                         : Foundation::Result<std::vector<HIDService>>(Foundation::Error("cannot be read"));
    if (!services) {
        Foundation::Console::printError("HID services of " + path.string() + ": " + services.error());
        return std::vector<HIDService> {};
    }
    return std::move(*services);
}

std::optional<uint32_t> unsigned32(const json& item, const char* name)
{
    const auto found = item.find(name);
    if (found == item.end() || !found->is_number_unsigned() || found->get<uint64_t>() > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<uint32_t>(found->get<uint64_t>());
}

} // namespace

double HIDEvent::floatValue(uint32_t field) const { return field == static_cast<uint32_t>(type) << 16 ? value : 0; }

std::optional<std::string> HIDService::copyProperty(std::string_view key) const
{
    if (key == "Product")
        return product;
    if (key == "PrimaryUsagePage")
        return std::to_string(primaryUsagePage);
    if (key == "PrimaryUsage")
        return std::to_string(primaryUsage);
    return std::nullopt;
}

std::optional<HIDEvent> HIDService::copyEvent(int32_t type) const
{
    const auto found = events.find(type);
    if (found == events.end())
        return std::nullopt;
    return HIDEvent {type, found->second};
}

HIDEventSystemClient::HIDEventSystemClient()
{
    auto& services = machine();
    std::lock_guard lock(services.mutex);
    if (!services.loaded) {
        services.services = loadMachineServices();
        services.loaded = true;
    }
    services_ = services.services;
}

void HIDEventSystemClient::setMatching(std::map<std::string, uint32_t> matching) { matching_ = std::move(matching); }

std::optional<std::vector<HIDService>> HIDEventSystemClient::copyServices() const
{
    if (!services_)
        return std::nullopt;
    std::vector<HIDService> matched;
    for (const auto& service : *services_) {
        bool matches = true;
        for (const auto& [key, value] : matching_) {
            if (key == "PrimaryUsagePage")
                matches = matches && service.primaryUsagePage == value;
            else if (key == "PrimaryUsage")
                matches = matches && service.primaryUsage == value;
            else
                matches = false;
        }
        if (matches)
            matched.push_back(service);
    }
    return matched;
}

void HIDEventSystemClient::setMachineServices(std::optional<std::vector<HIDService>> services)
{
    auto& machineServices = machine();
    std::lock_guard lock(machineServices.mutex);
    machineServices.services = std::move(services);
    machineServices.loaded = true;
}

void HIDEventSystemClient::resetForTesting()
{
    auto& machineServices = machine();
    std::lock_guard lock(machineServices.mutex);
    machineServices.services.reset();
    machineServices.loaded = false;
}

Foundation::Result<std::vector<HIDService>> HIDEventSystemClient::servicesFromProfile(std::string_view text)
{
    std::string error;
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        error = "not a JSON object";
        return Foundation::Error(error);
    }
    std::vector<HIDService> services;
    const auto section = root.find("hid");
    if (section == root.end())
        return services;
    if (!section->is_array()) {
        error = "\"hid\": expected an array";
        return Foundation::Error(error);
    }
    for (std::size_t i = 0; i < section->size(); ++i) {
        const json& item = (*section)[i];
        const std::string where = "hid[" + std::to_string(i) + "]";
        if (!item.is_object()) {
            error = where + ": expected an object";
            return Foundation::Error(error);
        }
        HIDService service;
        if (const auto product = item.find("product"); product != item.end()) {
            if (!product->is_string()) {
                error = where + ".product: expected a text";
                return Foundation::Error(error);
            }
            service.product = product->get<std::string>();
        }
        const auto page = unsigned32(item, "usagePage");
        const auto usage = unsigned32(item, "usage");
        const auto type = unsigned32(item, "eventType");
        const auto value = item.find("value");
        if (!page || !usage || !type || *type > 0x7FFF || value == item.end() || !value->is_number()) {
            error = where + ": expected \"usagePage\", \"usage\", \"eventType\" and a numeric \"value\"";
            return Foundation::Error(error);
        }
        service.primaryUsagePage = *page;
        service.primaryUsage = *usage;
        service.events[static_cast<int32_t>(*type)] = value->get<double>();
        services.push_back(std::move(service));
    }
    return services;
}

} // namespace SystemPlatform
