#include "Classes/Sensors/SizeUnit.h"

#include <limits>

namespace Aerlo {

SizeUnit SizeUnit::byte() { return {"byte", "Bytes"}; }
SizeUnit SizeUnit::KB() { return {"KB", "KB"}; }
SizeUnit SizeUnit::MB() { return {"MB", "MB"}; }
SizeUnit SizeUnit::GB() { return {"GB", "GB"}; }
SizeUnit SizeUnit::TB() { return {"TB", "TB"}; }

std::vector<SizeUnit> SizeUnit::allCases() { return {byte(), KB(), MB(), GB(), TB()}; }

SizeUnit SizeUnit::lookup(std::string_view key, const SizeUnit& defaultValue)
{
    for (SizeUnit unit : allCases()) {
        if (unit.key == key)
            return unit;
    }
    return defaultValue;
}

int64_t SizeUnit::toBytes(int64_t count, std::string_view unitKey)
{
    int shift = 0;
    if (unitKey == "KB")
        shift = 10;
    else if (unitKey == "MB")
        shift = 20;
    else if (unitKey == "GB")
        shift = 30;
    else if (unitKey == "TB")
        shift = 40;
    int64_t bytes = 0;
    if (__builtin_mul_overflow(count, int64_t(1) << shift, &bytes))
        return count < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return bytes;
}

} // namespace Aerlo
