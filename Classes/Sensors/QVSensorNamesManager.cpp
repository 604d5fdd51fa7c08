#include "Classes/Sensors/QVSensorNamesManager.h"

#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/JSONCoding.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/UTF8.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string_view>

namespace Aerlo {

namespace {

using json = nlohmann::json;
using Foundation::Console;

constexpr std::array<std::string_view, 10> excludedNames {"CPU performance", "CPU efficiency", "GPU 1",    "GPU 2",
                                                          "GPU 3",           "GPU 4",          "Memory 1", "Memory 2",
                                                          "Memory 3",        "Memory 4"};

} // namespace

std::vector<std::string> QVSensorNamesManager::loadSensorNames()
{
    const auto data = AppDataStore::shared().data(key);
    if (!data)
        return {};
    const json root = json::parse(data->begin(), data->end(), nullptr, false);
    const bool texts = !root.is_discarded() && root.is_array()
                       && std::all_of(root.begin(), root.end(), [](const json& item) { return item.is_string(); });
    if (!texts) {
        Console::print("解码传感器名称失败：" + std::string(JSONCoding::unreadableData));
        return {};
    }
    std::vector<std::string> names;
    names.reserve(root.size());
    for (const auto& item : root)
        names.push_back(item.get<std::string>());
    return names;
}

void QVSensorNamesManager::saveSensorNames(const std::vector<std::string>& names)
{
    if (!std::all_of(names.begin(), names.end(),
                     [](const std::string& name) { return Foundation::UTF8::isValid(name); })) {
        Console::print("编码传感器名称失败：" + std::string(JSONCoding::unwritableData));
        return;
    }
    const std::string text = JSONCoding::compactText(nlohmann::ordered_json(names));
    AppDataStore::shared().set(AppDataStore::Data(text.begin(), text.end()), key);
}

void QVSensorNamesManager::fillSensorNamesIfEmpty()
{
    if (!loadSensorNames().empty())
        return;
    const auto reader = SensorsReader::shared();
    reader->read();
    const auto sensors = reader->list->sensors();
    saveSensorNames({});
    for (const auto& sensor : sensors) {
        if (sensor.group() == SensorGroup::unknown || sensor.type() != SensorType::temperature)
            continue;
        const std::string& name = sensor.name();
        const bool excluded = std::any_of(excludedNames.begin(), excludedNames.end(), [&name](std::string_view text) {
            return name.find(text) != std::string::npos;
        });
        if (excluded)
            continue;
        Console::print(name);
        auto names = loadSensorNames();
        names.push_back(name);
        saveSensorNames(names);
    }
}

} // namespace Aerlo
