#include "Platform/System/SystemProfiler.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/ActiveMachine.h"

#include <cstdint>
#include <nlohmann/json.hpp>

#ifndef AERLO_SYSTEM_PROFILER_STAND_IN
#define AERLO_SYSTEM_PROFILER_STAND_IN "system_profiler"
#endif

namespace SystemPlatform {

namespace {

using json = nlohmann::ordered_json;

void eraseAll(std::string& text, std::string_view part)
{
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

// "Intel(R) Core(TM) i7-4870HQ CPU @ 2.50GHz" → "Intel Core i7-4870HQ" and "2.5 GHz".
std::pair<std::string, std::string> intelProcessor(std::string brand)
{
    eraseAll(brand, "(R)");
    eraseAll(brand, "(TM)");
    std::string speed;
    if (const auto at = brand.find('@'); at != std::string::npos) {
        speed = Foundation::trimmed(std::string_view(brand).substr(at + 1));
        brand.erase(at);
        if (speed.ends_with("GHz")) {
            speed = Foundation::trimmed(std::string_view(speed).substr(0, speed.size() - 3));
            if (speed.find('.') != std::string::npos) {
                speed.erase(speed.find_last_not_of('0') + 1);
                if (speed.ends_with('.'))
                    speed.pop_back();
            }
            speed += " GHz";
        }
    }
    if (const auto at = brand.find(" CPU"); at != std::string::npos)
        brand.erase(at, 4);
    return {Foundation::trimmed(brand), speed};
}

// "16 GB", or MB below a whole GiB.
std::string memoryText(std::uint64_t bytes)
{
    constexpr std::uint64_t gib = std::uint64_t(1) << 30;
    if (bytes >= gib && bytes % gib == 0)
        return std::to_string(bytes / gib) + " GB";
    return std::to_string(bytes >> 20) + " MB";
}

bool appleSilicon(const SMCSim::MachineFacts& facts) { return facts.architecture == "arm64"; }

json hardware(const SMCSim::MachineFacts& facts)
{
    json item = json::object();
    item["_name"] = "hardware_overview";
    if (appleSilicon(facts)) {
        item["chip_type"] = facts.cpuBrand;
    } else {
        const auto [name, speed] = intelProcessor(facts.cpuBrand);
        item["cpu_type"] = name;
        item["current_processor_speed"] = speed;
    }
    item["machine_model"] = facts.modelIdentifier;
    item["machine_name"] = facts.modelName;
    if (appleSilicon(facts))
        item["number_processors"] = "proc " + std::to_string(facts.physicalCores) + ":"
                                    + std::to_string(facts.performanceCores) + ":"
                                    + std::to_string(facts.efficiencyCores);
    else
        item["number_processors"] = facts.physicalCores;
    item["physical_memory"] = memoryText(facts.memoryBytes);
    if (!facts.platformUUID.empty())
        item["platform_UUID"] = facts.platformUUID;
    if (!facts.serialNumber.empty())
        item["serial_number"] = facts.serialNumber;
    return json::array({item});
}

json memory(const SMCSim::MachineFacts& facts)
{
    json entry = json::object();
    if (facts.memoryModules.empty()) {
        entry["SPMemoryDataType"] = memoryText(facts.memoryBytes);
        return json::array({entry});
    }
    json items = json::array();
    for (const SMCSim::MemoryModuleFacts& module : facts.memoryModules) {
        const bool empty = module.size == "empty";
        json item = json::object();
        item["_name"] = module.slot;
        item["dimm_size"] = module.size;
        item["dimm_speed"] = empty ? "empty" : module.speed;
        item["dimm_status"] = empty ? "empty" : "ok";
        item["dimm_type"] = empty ? "empty" : module.type;
        items.push_back(item);
    }
    entry["_items"] = items;
    entry["_name"] = "Memory Slots";
    entry["global_ecc_state"] = "ecc_disabled";
    entry["is_memory_upgradeable"] = "No";
    return json::array({entry});
}

json displays(const SMCSim::MachineFacts& facts)
{
    json list = json::array();
    for (const SMCSim::GraphicsFacts& graphics : facts.graphics) {
        json item = json::object();
        item["_name"] = graphics.model;
        if (!graphics.vram.empty())
            item["spdisplays_vram"] = graphics.vram;
        if (!graphics.vramShared.empty())
            item["spdisplays_vram_shared"] = graphics.vramShared;
        item["spdisplays_vendor"] = graphics.vendor;
        item["sppci_bus"] = "spdisplays_builtin";
        if (graphics.cores > 0)
            item["sppci_cores"] = std::to_string(graphics.cores);
        item["sppci_device_type"] = "spdisplays_gpu";
        item["sppci_model"] = graphics.model;
        list.push_back(item);
    }
    return list;
}

std::string hardwareText(const SMCSim::MachineFacts& facts)
{
    std::string text = "Hardware:\n\n    Hardware Overview:\n\n";
    const auto line = [&](std::string_view key, std::string_view value) {
        text += "      ";
        text += key;
        text += ": ";
        text += value;
        text += "\n";
    };
    line("Model Name", facts.modelName);
    line("Model Identifier", facts.modelIdentifier);
    if (appleSilicon(facts)) {
        line("Chip", facts.cpuBrand);
        line("Total Number of Cores", std::to_string(facts.physicalCores) + " ("
                                          + std::to_string(facts.performanceCores) + " performance and "
                                          + std::to_string(facts.efficiencyCores) + " efficiency)");
    } else {
        const auto [name, speed] = intelProcessor(facts.cpuBrand);
        line("Processor Name", name);
        line("Processor Speed", speed);
        line("Number of Processors", "1");
        line("Total Number of Cores", std::to_string(facts.physicalCores));
    }
    line("Memory", memoryText(facts.memoryBytes));
    if (!facts.serialNumber.empty())
        line("Serial Number (system)", facts.serialNumber);
    if (!facts.platformUUID.empty())
        line("Hardware UUID", facts.platformUUID);
    return text + "\n";
}

} // namespace

std::string SystemProfiler::report(const SMCSim::MachineProfile& profile, const std::vector<std::string>& dataTypes,
                                   bool asJSON)
{
    const SMCSim::MachineFacts& facts = profile.facts;
    if (!asJSON) {
        std::string text;
        for (const std::string& type : dataTypes)
            if (type == "SPHardwareDataType")
                text += hardwareText(facts);
        return text;
    }
    json root = json::object();
    for (const std::string& type : dataTypes) {
        if (type == "SPHardwareDataType")
            root[type] = hardware(facts);
        else if (type == "SPMemoryDataType")
            root[type] = memory(facts);
        else if (type == "SPDisplaysDataType")
            root[type] = displays(facts);
        else
            root[type] = json::array();
    }
    return root.dump(2) + "\n";
}

std::string SystemProfiler::run(const std::vector<std::string>& arguments)
{
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return {};
    bool asJSON = false;
    std::vector<std::string> dataTypes;
    for (const std::string& argument : arguments) {
        if (argument == "-json")
            asJSON = true;
        else if (argument.starts_with("SP"))
            dataTypes.push_back(argument);
    }
    return report(*profile, dataTypes, asJSON);
}

std::string SystemProfiler::standInPath()
{
    return Foundation::ToolMap::standIn("system_profiler", AERLO_SYSTEM_PROFILER_STAND_IN);
}

void SystemProfiler::installStandIn() { Foundation::ToolMap::set("/usr/sbin/system_profiler", standInPath()); }

} // namespace SystemPlatform
