#include "Classes/FanControl/QVFanRulesManager.h"

#include "Classes/Configure/Global/JSONCoding.h"
#include "Classes/Configure/Global/JSONObjectReader.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/UTF8.h"

#include <array>

namespace Aerlo {

namespace {

using json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 4> ruleKeys {"sensorType", "sensorTemperature", "fanType", "fanSpeedPercentage"};

} // namespace

Foundation::Result<AppDataStore::Data> QVFanRulesManager::encode(const std::vector<FanRule>& rules)
{
    json array = json::array();
    for (const FanRule& rule : rules) {
        if (!Foundation::UTF8::isValid(rule.sensorType) || !Foundation::UTF8::isValid(rule.fanType))
            return Foundation::Error(std::string(JSONCoding::unwritableData));
        json object = json::object();
        object[ruleKeys[0]] = rule.sensorType;
        object[ruleKeys[1]] = rule.sensorTemperature;
        object[ruleKeys[2]] = rule.fanType;
        object[ruleKeys[3]] = rule.fanSpeedPercentage;
        array.push_back(std::move(object));
    }
    const std::string text = JSONCoding::compactText(array);
    return AppDataStore::Data(text.begin(), text.end());
}

Foundation::Result<std::vector<FanRule>> QVFanRulesManager::decode(const AppDataStore::Data& data)
{
    const json root = json::parse(data.begin(), data.end(), nullptr, false);
    if (root.is_discarded() || !root.is_array())
        return Foundation::Error(std::string(JSONCoding::unreadableData));
    std::vector<FanRule> rules;
    rules.reserve(root.size());
    for (const json& item : root) {
        if (!item.is_object())
            return Foundation::Error(std::string(JSONCoding::unreadableData));
        for (const std::string_view name : ruleKeys)
            if (!item.contains(name))
                return Foundation::Error(std::string(JSONCoding::missingData));
        JSONObjectReader reader(item);
        FanRule rule;
        rule.sensorType = reader.string(ruleKeys[0]);
        rule.sensorTemperature = reader.integer(ruleKeys[1]);
        rule.fanType = reader.string(ruleKeys[2]);
        rule.fanSpeedPercentage = reader.integer(ruleKeys[3]);
        if (!reader.ok())
            return Foundation::Error(std::string(JSONCoding::unreadableData));
        rules.push_back(std::move(rule));
    }
    return rules;
}

std::vector<FanRule> QVFanRulesManager::loadFanRules()
{
    const auto data = AppDataStore::shared().data(key);
    if (!data)
        return {};
    auto rules = decode(*data);
    if (!rules) {
        Foundation::Console::print("Failed to decode fan rules: " + rules.error());
        return {};
    }
    return std::move(rules).value();
}

void QVFanRulesManager::saveFanRules(const std::vector<FanRule>& rules)
{
    const auto data = encode(rules);
    if (!data) {
        Foundation::Console::print("Failed to encode fan rules: " + data.error());
        return;
    }
    AppDataStore::shared().set(*data, key);
}

} // namespace Aerlo
