#pragma once

#include "Platform/SMC/SMCExport.h"

#include <optional>
#include <string>
#include <string_view>

namespace SMCSim {

// The per-fan SMC keys, "F<i><suffix>": "F0Ac" is fan 0's actual speed.
class AERLO_SMC_EXPORT FanKey {
public:
    static std::string name(int fan, std::string_view suffix);
    // The fan index (0 to 9) of "F<i><suffix>"; nothing for another key.
    static std::optional<int> fanOf(std::string_view key, std::string_view suffix);
};

} // namespace SMCSim
