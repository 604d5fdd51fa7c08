#include "Platform/SMC/FanKey.h"

namespace SMCSim {

std::string FanKey::name(int fan, std::string_view suffix) { return "F" + std::to_string(fan) + std::string(suffix); }

std::optional<int> FanKey::fanOf(std::string_view key, std::string_view suffix)
{
    if (key.size() != 4 || key[0] != 'F' || key[1] < '0' || key[1] > '9' || key.substr(2) != suffix)
        return std::nullopt;
    return key[1] - '0';
}

} // namespace SMCSim
