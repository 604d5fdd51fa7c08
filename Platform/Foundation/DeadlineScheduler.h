#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace Foundation {

// Hands the delayed blocks of worker-thread dispatch queues to their queues when their deadline comes,
// on the main run loop's clock. On the real clock its own thread waits for them; under a manual
// driver (driven) they are released only by runNext, which the driver calls as it moves the clock.
class AERLO_FOUNDATION_EXPORT DeadlineScheduler {
public:
    using Action = std::function<void()>;

    static DeadlineScheduler& shared();

    void schedule(double deadline, Action action);

    // Drops every pending action and sets who releases the next ones (tests).
    void reset(bool driven);
    std::optional<double> nextDeadline() const;
    // Runs the earliest action when it is due at or before `upTo`; false when there is none.
    bool runNext(double upTo);

private:
    DeadlineScheduler() = default;
    void work();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::pair<double, std::uint64_t>, Action> actions_;
    std::uint64_t nextSequence_ = 0;
    bool driven_ = false;
    bool threadStarted_ = false;
};

} // namespace Foundation
