#pragma once

#include "Platform/Foundation/TestAccess.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Aerlo {

// Tells from the kernel's processor brand and the profiler's hardware report whether the machine has an
// Apple chip of the third generation or later, minus a few excluded model and chip pairs.
class QVPlatformChipInfo {
public:
    struct Exclusion {
        std::string_view modelKeyword; // upper case
        std::string_view chipKeyword; // upper case
    };
    static const std::vector<Exclusion>& exclusions();
    static const std::vector<std::string_view>& chipGenerations();

    // "machdep.cpu.brand_string"; the empty text (and one line on standard error) when it cannot be read.
    static std::string cpuBrand();
    // The profiler's output for `argument` (its one pipe for both streams); empty when it is not UTF-8
    // or the profiler does not start.
    static std::string runSystemProfiler(std::string_view argument);
    // "Model Name" and "Chip" of the plain hardware report, each "Unknown" when missing.
    static std::pair<std::string, std::string> modelAndChip();
    // The first pair whose keywords the upper-cased model and chip contain (one line on standard error).
    static bool isExcluded(std::string_view model, std::string_view chip, const std::vector<Exclusion>& list);
    static bool isCurrentDeviceExcluded();
    static bool isMacMiniM4();
    // An Apple chip naming a generation from M3 on, unless the machine is excluded. The generation test
    // applies to Apple brands only: an Intel "Core m3" is no M3.
    static bool isM3OrLater();
    // isM3OrLater, asked once per process.
    static bool cachedIsM3OrLater();

private:
    friend struct ::TestAccess;
    // Tests: the next cachedIsM3OrLater asks again.
    static void resetForTesting();
};

} // namespace Aerlo
