#include "Classes/Configure/Global/LocalizationTable.h"

#include "Platform/Foundation/Bundle.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace Aerlo {

namespace {

struct State {
    std::mutex mutex;
    std::optional<std::map<std::string, std::string, std::less<>>> table;
};

State& state()
{
    static State state;
    return state;
}

std::string language()
{
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return std::string_view(value).starts_with("zh") ? "zh-Hans" : "en";
    }
    return "en";
}

std::map<std::string, std::string, std::less<>> bundledTable()
{
    std::map<std::string, std::string, std::less<>> table;
    const auto folder = Foundation::Bundle::main().path(language() + ".lproj");
    if (!folder)
        return table;
    std::ifstream file(*folder / "Localizable.json", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const auto root = nlohmann::json::parse(text.str(), nullptr, false);
    if (!root.is_object())
        return table;
    for (const auto& [key, value] : root.items())
        if (value.is_string())
            table.emplace(key, value.get<std::string>());
    return table;
}

void replaceAll(std::string& text, std::string_view placeholder, std::string_view replacement)
{
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + replacement.size()))
        text.replace(at, placeholder.size(), replacement);
}

} // namespace

std::string LocalizationTable::text(std::string_view key)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.table)
        s.table = bundledTable();
    const auto found = s.table->find(key);
    return found != s.table->end() ? found->second : std::string(key);
}

void LocalizationTable::setTable(std::optional<std::map<std::string, std::string>> table)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (table)
        s.table.emplace(table->begin(), table->end());
    else
        s.table.reset();
}

std::string localizedString(std::string_view key, const std::vector<std::string>& replacingIndexed)
{
    std::string text = LocalizationTable::text(key);
    for (std::size_t i = 0; i < replacingIndexed.size(); ++i)
        replaceAll(text, "%" + std::to_string(i), replacingIndexed[i]);
    return text;
}

} // namespace Aerlo
