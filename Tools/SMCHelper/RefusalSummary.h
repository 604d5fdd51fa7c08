#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <sys/types.h>
#include <vector>

namespace Aerlo {

// Keeps refusals from filling the log: the first refusal of a uid in an interval is logged in
// full, the others of that interval only counted, and the counts are summarised once the interval
// has passed. At most `maximumPeers` uids are told apart; the others are counted together under
// the uid -1.
class RefusalSummary {
public:
    static constexpr double defaultIntervalSeconds = 10;
    static constexpr std::size_t maximumPeers = 1024;

    struct Count {
        uid_t uid = 0;
        std::uint64_t refusals = 0; // not logged one by one
        bool operator==(const Count&) const = default;
    };

    explicit RefusalSummary(double intervalSeconds = defaultIntervalSeconds);

    // True when this refusal is to be logged in full; otherwise it is counted.
    bool note(uid_t uid, double now);
    // The counts of the intervals that have passed by `now` (all of them when `everything`), by uid.
    std::vector<Count> take(double now, bool everything = false);
    double intervalSeconds() const { return interval_; }

private:
    struct Interval {
        double start = 0;
        std::uint64_t counted = 0;
    };

    double interval_;
    std::map<uid_t, Interval> intervals_;
    std::map<uid_t, std::uint64_t> passed_; // counts of intervals that ended while refusals went on
};

} // namespace Aerlo
