#include "Tools/SMCHelper/RefusalSummary.h"

namespace Aerlo {

RefusalSummary::RefusalSummary(double intervalSeconds) : interval_(intervalSeconds) {}

bool RefusalSummary::note(uid_t uid, double now)
{
    if (!intervals_.count(uid) && intervals_.size() >= maximumPeers)
        uid = static_cast<uid_t>(-1);
    auto found = intervals_.find(uid);
    if (found != intervals_.end() && now - found->second.start < interval_) {
        ++found->second.counted;
        return false;
    }
    if (found != intervals_.end() && found->second.counted > 0)
        passed_[uid] += found->second.counted;
    intervals_[uid] = Interval {now, 0};
    return true;
}

std::vector<RefusalSummary::Count> RefusalSummary::take(double now, bool everything)
{
    for (auto it = intervals_.begin(); it != intervals_.end();) {
        if (everything || now - it->second.start >= interval_) {
            if (it->second.counted > 0)
                passed_[it->first] += it->second.counted;
            it = intervals_.erase(it);
        } else {
            ++it;
        }
    }
    std::vector<Count> counts;
    for (const auto& [uid, refusals] : passed_)
        counts.push_back({uid, refusals});
    passed_.clear();
    return counts;
}

} // namespace Aerlo
