#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The application's localisation table: "Localizable.json" (a JSON object of texts by key) in the
// main bundle's "<language>.lproj" resource folder. The language comes from the first of LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG that is set: "zh…" gives "zh-Hans", anything else "en". Loaded on
// first use; thread-safe.
class LocalizationTable {
public:
    // The text for `key`, or the key itself when the table lacks it.
    static std::string text(std::string_view key);
    // Replaces the table (tests); nothing loads the bundle's again on the next use.
    static void setTable(std::optional<std::map<std::string, std::string>> table);
};

// The text for `key` with every "%<i>" replaced by arguments[i], for each argument in order.
std::string localizedString(std::string_view key, const std::vector<std::string>& replacingIndexed);

} // namespace Aerlo
