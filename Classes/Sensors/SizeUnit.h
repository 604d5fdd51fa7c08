#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// A byte-size unit; two units are equal when their keys are.
struct SizeUnit {
    std::string key;
    std::string value;

    bool operator==(const SizeUnit& other) const { return key == other.key; }

    static SizeUnit byte(); // "byte", "Bytes"
    static SizeUnit KB();
    static SizeUnit MB();
    static SizeUnit GB();
    static SizeUnit TB();
    // The five units in that order.
    static std::vector<SizeUnit> allCases();

    // The unit whose key matches exactly (case-sensitive), else `defaultValue`.
    static SizeUnit lookup(std::string_view key, const SizeUnit& defaultValue);
    // count × 2^10 … 2^40 for "KB" … "TB"; any other key, "byte" included, leaves count as it is.
    // A product beyond the int64 range saturates at its end.
    static int64_t toBytes(int64_t count, std::string_view unitKey);
};

} // namespace Aerlo
