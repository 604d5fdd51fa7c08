#pragma once

namespace Aerlo {

// Seconds per turn of the spinning fan pictures; the settings' update interval sets it. Not stored.
// Main thread only.
inline double fanIconRotationDuration = 2.0;

} // namespace Aerlo
