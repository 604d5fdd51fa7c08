#pragma once

#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/FanControl/FanRule.h"
#include "Platform/Foundation/Result.h"

#include <string_view>
#include <vector>

namespace Aerlo {

// The custom fan rules, kept as one JSON array under "fanRuleDict" in the standard suite.
class QVFanRulesManager {
public:
    static constexpr std::string_view key = "fanRuleDict";

    // The stored rules; none when the key is absent or (with one printed line) when the document
    // does not decode strictly. A bad document stays stored.
    static std::vector<FanRule> loadFanRules();
    // Replaces the stored rules; on an encoding failure prints one line and keeps the old value.
    static void saveFanRules(const std::vector<FanRule>& rules);

    // The stored form, and its strict reading (the error is the coder's description).
    static Foundation::Result<AppDataStore::Data> encode(const std::vector<FanRule>& rules);
    static Foundation::Result<std::vector<FanRule>> decode(const AppDataStore::Data& data);
};

} // namespace Aerlo
