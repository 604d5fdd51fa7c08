#pragma once

namespace Aerlo {

// True while the custom rules drive the fans. Written by the fan panels (and cleared by the sleep and
// power-off handlers), read by the control tick. Main thread only.
inline bool customFanModeFlag = false;

} // namespace Aerlo
