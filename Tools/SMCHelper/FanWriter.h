#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/SMC/ServiceRegistry.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Aerlo {

class SMC;

// The helper daemon's fan writes, validated and clamped before the SMC writers run, and read back
// afterwards. A write that fails says why nothing was written, in a text fit for the client.
//
// - A fan id must lie in 0…9 and below "FNum"; a mode is 0 (automatic) or 1 (forced); a speed is ≥ 0
//   and is clamped to the fan's [F<i>Mn, F<i>Mx], which must both be readable.
// - A switch to forced first sets the target to the fan's current speed, clamped to its range, so a
//   forced fan never runs at a stale or zero target.
//
// The SMC connection is opened again when it could not be opened before. Thread-safe.
class FanWriter {
public:
    static constexpr int maximumFanCount = 10; // fan keys have one digit

    explicit FanWriter(std::shared_ptr<IOKit::ServiceRegistry> registry);
    ~FanWriter();
    FanWriter(const FanWriter&) = delete;
    FanWriter& operator=(const FanWriter&) = delete;

    [[nodiscard]] Foundation::Result<void> setMode(std::int64_t id, std::int64_t mode);
    // The target written: `rpm` held to the fan's range.
    [[nodiscard]] Foundation::Result<int> setSpeed(std::int64_t id, std::int64_t rpm);

    // Sets automatic every fan (everyFan) or the forced ones; the ids written, in order. When the fan
    // count cannot be read, the fans this writer forced.
    std::vector<int> restoreAutomatic(bool everyFan);
    // Sets automatic each of `fans` that names a fan; the ids written, in order.
    std::vector<int> setAutomatic(const std::vector<int>& fans);
    // The fans the SMC reports forced ("F<i>Md" = 1 or bit i of "FS! ").
    std::vector<int> forcedFans();

private:
    struct Range {
        int minimum = 0;
        int maximum = 0;
    };

    SMC* smc();
    std::optional<int> fanCount();
    // The fan `id` names on this machine, or why it names none.
    Foundation::Result<int> namedFan(std::int64_t id);
    // The fan's whole-RPM range, or why there is none.
    Foundation::Result<Range> range(int fan);
    bool isForced(int fan);
    [[nodiscard]] bool writeTarget(int fan, int rpm);
    [[nodiscard]] bool writeMode(int fan, bool forced);
    std::vector<int> forcedFansLocked(int count);

    std::shared_ptr<IOKit::ServiceRegistry> registry_;
    std::unique_ptr<SMC> smc_;
    std::set<int> forcedByUs_;
    std::mutex mutex_;
};

} // namespace Aerlo
