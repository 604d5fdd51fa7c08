#include "Classes/Configure/Global/LocalizationTable.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/SharedInstance.h"

#include <mutex>

namespace Aerlo {

namespace {

struct State {
    std::mutex mutex;
    std::optional<std::map<std::string, std::string, std::less<>>> table;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

void replaceAll(std::string& text, std::string_view placeholder, std::string_view replacement)
{
    for (auto at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + replacement.size()))
        text.replace(at, placeholder.size(), replacement);
}

} // namespace

std::string LocalizationTable::text(std::string_view key)
{
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.table) {
            const auto found = s.table->find(key);
            return found != s.table->end() ? found->second : std::string(key);
        }
    }
    return Foundation::Bundle::main().localizedString(key);
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
