#include "Classes/Configure/SystemKit/SystemKit.h"

#include <gtest/gtest.h>

using namespace Aerlo;

TEST(SystemKitPlatform, ProcessorNamesDecideTheFamily)
{
    const std::pair<const char*, std::optional<Platform>> cases[] = {
        {"Apple M2 Max", Platform::m2Max},
        {"Apple M3", Platform::m3},
        {"Apple M1 Ultra", Platform::m1Ultra},
        {"Apple M4 Pro", Platform::m4Pro},
        {"Intel Core i7-4870HQ 2.50GHz", Platform::intel},
        {"Apple M1", Platform::m1},
        {"Apple M2 Ultra", Platform::m2Ultra},
        {"Apple M3 Pro", Platform::m3Pro},
        {"Apple M4 Max", Platform::m4Max},
        {"Intel Core m3-7Y32 1.10GHz", Platform::intel},
        {"Apple M5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, platform] : cases)
        EXPECT_EQ(SystemKit::platformFromCPUName(name), platform) << name;
}
