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
        {"Apple M5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, platform] : cases)
        EXPECT_EQ(SystemKit::platformFromCPUName(name), platform) << name;
}

TEST(SystemKitShared, DecidesThePlatformOfTheDefaultMachine)
{
    SystemKit::resetShared();
    EXPECT_EQ(SystemKit::shared().device.platform, Platform::m1Pro);
    EXPECT_EQ(&SystemKit::shared(), &SystemKit::shared());
    SystemKit::resetShared();
}
