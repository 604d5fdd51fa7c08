#pragma once

namespace Aerlo {

enum class FanMode : int { automatic = 0, forced = 1 };

} // namespace Aerlo
