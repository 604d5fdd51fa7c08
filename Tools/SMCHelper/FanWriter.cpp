#include "Tools/SMCHelper/FanWriter.h"

#include "Classes/Sensors/SMC.h"
#include "Platform/Foundation/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Aerlo {

using Foundation::NumberText;

namespace {

constexpr const char* unavailable = "the SMC is not available";

std::string targetNotWritten(int fan) { return "the target speed of fan " + NumberText::decimal(fan) + " could not be written"; }

// A reading that is finite and within int's range, or nothing.
std::optional<double> usable(const std::optional<double>& value)
{
    if (!value || !std::isfinite(*value) || std::fabs(*value) > std::numeric_limits<int>::max())
        return std::nullopt;
    return *value;
}

} // namespace

FanWriter::FanWriter(std::shared_ptr<IOKit::ServiceRegistry> registry) : registry_(std::move(registry)) {}

FanWriter::~FanWriter() = default;

SMC* FanWriter::smc()
{
    if (!smc_ || smc_->conn == 0)
        smc_ = std::make_unique<SMC>(registry_);
    return smc_->conn == 0 ? nullptr : smc_.get();
}

std::optional<int> FanWriter::fanCount()
{
    const auto count = usable(smc()->getValue("FNum"));
    if (count && *count >= 0)
        return std::min(static_cast<int>(*count), maximumFanCount);
    if (count)
        return std::nullopt;
    // A stored 0 reads as absent: tell it from a key that is missing.
    SMCVal value;
    value.key = "FNum";
    const bool zero = smc()->read(value) == IOKit::kIOReturnSuccess && value.dataSize > 0 &&
                      std::all_of(value.bytes.begin(), value.bytes.end(), [](std::uint8_t byte) { return byte == 0; });
    return zero ? std::optional(0) : std::nullopt;
}

Foundation::Result<int> FanWriter::namedFan(std::int64_t id)
{
    using Foundation::Error;
    if (id < 0 || id >= maximumFanCount)
        return Error("invalid fan id " + NumberText::decimal(id) + ": fans are numbered 0 to 9");
    const auto count = fanCount();
    if (!count && smc()->outage())
        return Error("the SMC cannot be read: " + SMC::errorText(*smc()->outage()));
    if (!count)
        return Error("invalid fan id " + NumberText::decimal(id) + ": the fan count cannot be read");
    if (id >= *count)
        return Error("invalid fan id " + NumberText::decimal(id) + ": the machine has " +
                     (*count == 0 ? std::string("no fans") : NumberText::decimal(*count) + (*count == 1 ? " fan" : " fans")));
    return static_cast<int>(id);
}

Foundation::Result<FanWriter::Range> FanWriter::range(int fan)
{
    const auto maximum = usable(smc()->getValue(SMC::fanKey(fan, SMC::FanKeySuffix::maximumSpeed)));
    if (!maximum || *maximum <= 0)
        return Foundation::Error("the maximum speed of fan " + NumberText::decimal(fan) + " cannot be read");
    const auto minimum = usable(smc()->getValue(SMC::fanKey(fan, SMC::FanKeySuffix::minimumSpeed)));
    if (!minimum || *minimum < 0)
        return Foundation::Error("the minimum speed of fan " + NumberText::decimal(fan) + " cannot be read");
    const Range range {static_cast<int>(std::ceil(*minimum)), static_cast<int>(std::floor(*maximum))};
    if (range.minimum > range.maximum)
        return Foundation::Error("fan " + NumberText::decimal(fan) + " has no speed range: minimum " + NumberText::decimal(range.minimum) +
                                 ", maximum " + NumberText::decimal(range.maximum));
    return range;
}

bool FanWriter::isForced(int fan)
{
    if (const auto mode = smc()->getValue(SMC::fanKey(fan, SMC::FanKeySuffix::mode)); mode && *mode == 1)
        return true;
    const auto mask = usable(smc()->getValue("FS! "));
    return mask && *mask >= 0 && ((static_cast<unsigned>(*mask) >> fan) & 1u) != 0;
}

bool FanWriter::writeTarget(int fan, int rpm)
{
    smc()->setFanSpeed(fan, rpm);
    const auto target = smc()->getValue(SMC::fanKey(fan, SMC::FanKeySuffix::targetSpeed));
    // A target of 0 reads as absent.
    return target ? std::fabs(*target - rpm) < 0.5 : rpm == 0;
}

bool FanWriter::writeMode(int fan, bool forced)
{
    smc()->setFanMode(fan, forced ? FanMode::forced : FanMode::automatic);
    if (isForced(fan) != forced)
        return false;
    if (forced)
        forcedByUs_.insert(fan);
    else
        forcedByUs_.erase(fan);
    return true;
}

Foundation::Result<void> FanWriter::setMode(std::int64_t id, std::int64_t mode)
{
    using Foundation::Error;
    std::lock_guard lock(mutex_);
    if (!smc())
        return Error(unavailable);
    const auto named = namedFan(id);
    if (!named)
        return Error(named.error());
    if (mode != 0 && mode != 1)
        return Error("invalid fan mode " + NumberText::decimal(mode) + ": 0 is automatic, 1 forced");
    const int fan = *named;
    if (mode == 0) {
        if (!writeMode(fan, false))
            return Error("fan " + NumberText::decimal(fan) + " could not be set to automatic");
        return {};
    }

    const auto limits = range(fan);
    if (!limits)
        return Error(limits.error());
    if (!isForced(fan)) {
        // A fan standing still reads as absent: the clamp then gives its minimum.
        const double actual = usable(smc()->getValue(SMC::fanKey(fan, SMC::FanKeySuffix::actualSpeed))).value_or(0);
        const int start = std::clamp(static_cast<int>(std::lround(actual)), limits->minimum, limits->maximum);
        if (!writeTarget(fan, start))
            return Error(targetNotWritten(fan));
    }
    if (!writeMode(fan, true))
        return Error("fan " + NumberText::decimal(fan) + " could not be forced");
    return {};
}

Foundation::Result<int> FanWriter::setSpeed(std::int64_t id, std::int64_t rpm)
{
    using Foundation::Error;
    std::lock_guard lock(mutex_);
    if (!smc())
        return Error(unavailable);
    const auto named = namedFan(id);
    if (!named)
        return named;
    if (rpm < 0)
        return Error("invalid fan speed " + NumberText::decimal(rpm) + ": below 0");
    const int fan = *named;
    const auto limits = range(fan);
    if (!limits)
        return Error(limits.error());
    const int target = static_cast<int>(std::clamp<std::int64_t>(rpm, limits->minimum, limits->maximum));
    if (!writeTarget(fan, target))
        return Error(targetNotWritten(fan));
    return target;
}

std::vector<int> FanWriter::forcedFansLocked(int count)
{
    std::vector<int> fans;
    for (int fan = 0; fan < count; ++fan)
        if (isForced(fan))
            fans.push_back(fan);
    return fans;
}

std::vector<int> FanWriter::forcedFans()
{
    std::lock_guard lock(mutex_);
    if (!smc())
        return {};
    return forcedFansLocked(fanCount().value_or(0));
}

std::vector<int> FanWriter::setAutomatic(const std::vector<int>& fans)
{
    std::lock_guard lock(mutex_);
    std::vector<int> written;
    if (!smc())
        return written;
    const int count = fanCount().value_or(0);
    for (const int fan : fans)
        if (fan >= 0 && fan < std::min(count, maximumFanCount) && writeMode(fan, false))
            written.push_back(fan);
    return written;
}

std::vector<int> FanWriter::restoreAutomatic(bool everyFan)
{
    std::lock_guard lock(mutex_);
    if (!smc())
        return {};
    std::vector<int> fans;
    if (const auto count = fanCount()) {
        if (everyFan)
            for (int fan = 0; fan < *count; ++fan)
                fans.push_back(fan);
        else
            fans = forcedFansLocked(*count);
    }
    for (const int fan : forcedByUs_)
        if (std::find(fans.begin(), fans.end(), fan) == fans.end())
            fans.push_back(fan);
    std::sort(fans.begin(), fans.end());
    std::vector<int> written;
    for (const int fan : fans)
        if (writeMode(fan, false))
            written.push_back(fan);
    return written;
}

} // namespace Aerlo
