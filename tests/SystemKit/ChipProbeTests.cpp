// The chip probe: brand, model and chip from the profiler's plain report, exclusions, generations.
#include "Classes/Configure/SystemKit/QVPlatformChipInfo.h"
#include "Classes/Configure/SystemKit/QVSystemProfilerParser.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/Kernel.h"
#include "SystemScene.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace Aerlo;

TEST(ChipProbe, MachinesTable)
{
    struct Case {
        const char* machine;
        const char* facts; // replaced facts of the machine, or null
        const char* model;
        const char* chip;
        const char* exclusionLine; // standard error, "" when not excluded
        bool macMiniM4;
        bool m3OrLater;
    };
    const Case cases[] = {
        {"mini-m4-1fan", nullptr, "Mac mini", "Apple M4", "⚠️ 当前设备命中排除项: Mac mini + Apple M4\n",
         true, false},
        {"mbp-m3max-2fan", nullptr, "MacBook Pro", "Apple M3 Max",
         "⚠️ 当前设备命中排除项: MacBook Pro + Apple M3 Max\n", false, false},
        {"mbp-m4pro-2fan", nullptr, "MacBook Pro", "Apple M4 Pro",
         "⚠️ 当前设备命中排除项: MacBook Pro + Apple M4 Pro\n", false, false},
        {"unknown-platform", nullptr, "MacBook Pro", "Apple M5", "", false, true},
        {"mbp-m1pro-2fan", R"({"modelName": "MacBook Air", "cpuBrand": "Apple M3"})", "MacBook Air", "Apple M3", "",
         false, true},
        {"mbp-m1pro-2fan", nullptr, "MacBook Pro", "Apple M1 Pro", "", false, false},
        {"mini-m2-1fan", nullptr, "Mac mini", "Apple M2", "", false, false},
        {"mbp-intel-2fan", nullptr, "MacBook Pro", "Unknown", "", false, false},
        // An Intel Core m3 is not an M3.
        {"mbp-intel-2fan", R"({"cpuBrand": "Intel(R) Core(TM) m3-7Y32 CPU @ 1.10GHz"})", "MacBook Pro", "Unknown", "",
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + (c.facts ? c.facts : ""));
        SystemScene scene(c.machine);
        if (c.facts)
            SystemPlatform::ActiveMachine::select(scene.profileWithFacts(c.machine, c.facts).string());
        ConsoleCapture console;
        EXPECT_EQ(QVPlatformChipInfo::modelAndChip(), std::make_pair(std::string(c.model), std::string(c.chip)));
        EXPECT_EQ(QVPlatformChipInfo::isCurrentDeviceExcluded(), *c.exclusionLine != '\0');
        EXPECT_EQ(console.errors(), c.exclusionLine);
        EXPECT_EQ(QVPlatformChipInfo::isMacMiniM4(), c.macMiniM4);
        EXPECT_EQ(QVPlatformChipInfo::isM3OrLater(), c.m3OrLater);
        EXPECT_EQ(console.output(), "");
    }
}

TEST(ChipProbe, FindsIndentedLinesAndTrimsThem)
{
    const std::vector<std::string> lines {"Hardware:", "\t\tChip: Apple M3  ", "      Model Name: Mac mini",
                                          "Chips: x"};
    EXPECT_EQ(QVSystemProfilerParser::line(lines, "Chip"), "Chip: Apple M3");
    EXPECT_EQ(QVSystemProfilerParser::line(lines, "Model Name"), "Model Name: Mac mini");
    EXPECT_EQ(QVSystemProfilerParser::line(lines, "Serial"), std::nullopt);
    EXPECT_EQ(QVSystemProfilerParser::line({"Chipset: x"}, "Chip"), std::nullopt);
}

TEST(ChipProbe, UnreadableReportGivesUnknownAndExcludesNothing)
{
    SystemScene scene("mini-m4-1fan");
    scene.profilerPrints("SPHardwareDataType", "      Model Name: Mac mini\n      Chip: Apple M4 \xff\n");
    ConsoleCapture console;
    EXPECT_EQ(QVPlatformChipInfo::modelAndChip(), std::make_pair(std::string("Unknown"), std::string("Unknown")));
    EXPECT_FALSE(QVPlatformChipInfo::isCurrentDeviceExcluded());

    scene.profilerMissing();
    EXPECT_EQ(QVPlatformChipInfo::runSystemProfiler("SPHardwareDataType"), "");
    EXPECT_EQ(QVPlatformChipInfo::modelAndChip(), std::make_pair(std::string("Unknown"), std::string("Unknown")));
    // The brand alone decides then: an M4 with no exclusion in reach.
    EXPECT_TRUE(QVPlatformChipInfo::isM3OrLater());
    EXPECT_EQ(console.errors(), "");
}

TEST(ChipProbe, FailedBrandReadGivesEmptyTextAndOneLine)
{
    SystemScene scene("unknown-platform");
    SystemPlatform::Kernel::setSysctlFailure("machdep.cpu.brand_string", ENOENT);
    ConsoleCapture console;
    EXPECT_EQ(QVPlatformChipInfo::cpuBrand(), "");
    EXPECT_EQ(console.errors(), "❌ getCPUBrand failed: 2\n");
    EXPECT_FALSE(QVPlatformChipInfo::isM3OrLater());
}

TEST(ChipProbe, BrandIsBoundedByTheBuffer)
{
    SystemScene scene("mbp-m1pro-2fan");
    SystemPlatform::ActiveMachine::select(
        scene.profileWithFacts("mbp-m1pro-2fan", "{\"cpuBrand\": \"" + std::string(260, 'A') + "\"}").string());
    ConsoleCapture console;
    // A brand longer than the buffer: the call fails and nothing past the buffer is read.
    EXPECT_EQ(QVPlatformChipInfo::cpuBrand(), "");
    EXPECT_EQ(console.errors(), "❌ getCPUBrand failed: " + std::to_string(ENOMEM) + "\n");
}

TEST(ChipProbe, CachedAnswerRunsTheReportOnce)
{
    SystemScene scene("unknown-platform");
    TestAccess::resetForTesting<QVPlatformChipInfo>();
    EXPECT_TRUE(QVPlatformChipInfo::cachedIsM3OrLater());
    EXPECT_TRUE(QVPlatformChipInfo::cachedIsM3OrLater());
    EXPECT_EQ(scene.profilerRuns("SPHardwareDataType"), 1);
    TestAccess::resetForTesting<QVPlatformChipInfo>();
}
