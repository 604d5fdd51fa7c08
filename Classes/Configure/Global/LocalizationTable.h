#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The application's localisation table: the main bundle's "Localizable" table in the language the
// bundle prefers (Foundation::Bundle::localizedString). Thread-safe.
class LocalizationTable {
public:
    // The text for `key`, or the key itself when the table lacks it.
    static std::string text(std::string_view key);
    // Replaces the table (tests); nothing goes back to the bundle's.
    static void setTable(std::optional<std::map<std::string, std::string>> table);
};

// The text for `key` with every "%<i>" replaced by arguments[i], for each argument in order.
std::string localizedString(std::string_view key, const std::vector<std::string>& replacingIndexed);

} // namespace Aerlo
