#pragma once

namespace Aerlo {

// The start-up check of the installed helper daemon against the copy of the application installed
// under "/Applications".
class QVDaemonManager {
public:
    static constexpr double updateDelaySeconds = 5.0;

    // When the installed daemon's file differs from that copy (or either is missing), asks the
    // daemon to update itself, 5 s later on the main queue.
    static void checkHelperUpdate();
};

} // namespace Aerlo
