// The processor line, the chip keyword, the machine architecture and the size texts.
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/SystemKit/CPUTypes.h"
#include "Classes/Configure/SystemKit/DiskSize.h"
#include "Classes/Configure/SystemKit/MemorySize.h"
#include "Classes/Configure/SystemKit/QVSystemHardwareInfo.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/Kernel.h"
#include "SystemScene.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>

using namespace Aerlo;

TEST(HardwareFacts, ProcessorLine)
{
    struct Case {
        std::optional<cpu_s> cpu;
        const char* text;
    };
    const auto cpu = [](std::optional<std::string> name, std::optional<int8_t> cores, std::optional<int8_t> threads) {
        cpu_s record;
        record.name = std::move(name);
        record.physicalCores = cores;
        record.logicalCores = threads;
        return record;
    };
    const Case cases[] = {
        {std::nullopt, "Unknown"},
        {cpu("Apple M1 Pro", 10, 10), "Apple M1 Pro (10 cores, 10 threads)"},
        {cpu("Intel Core i7-4870HQ 2.50GHz", 4, 8), "Intel Core i7-4870HQ 2.50GHz (4 cores, 8 threads)"},
        {cpu("Apple M3", std::nullopt, std::nullopt), "Apple M3"},
        {cpu(std::nullopt, 8, 16), "8 cores, 16 threads"},
        {cpu(std::nullopt, std::nullopt, 16), "16 threads"},
        {cpu("Apple M2", 8, std::nullopt), "Apple M2 (8 cores)"},
        {cpu("", 8, std::nullopt), "8 cores"},
        {cpu(std::nullopt, std::nullopt, std::nullopt), "Unknown"},
    };
    SystemScene scene;
    for (const Case& c : cases) {
        SystemKit::shared().device.info.cpu = c.cpu;
        EXPECT_EQ(QVSystemHardwareInfo::cpuDescription(), c.text);
    }

    // Every placeholder of the localised text takes the count.
    LocalizationTable::setTable(
        std::map<std::string, std::string> {{"Number of cores", "%0 核 (%0)"}, {"Number of threads", "%0 线程"}});
    SystemKit::shared().device.info.cpu = cpu("Apple M4", 10, 10);
    EXPECT_EQ(QVSystemHardwareInfo::cpuDescription(), "Apple M4 (10 核 (10), 10 线程)");
}

TEST(HardwareFacts, ProcessorLineOfTheActiveMachine)
{
    SystemScene scene("mini-m2-1fan");
    EXPECT_EQ(QVSystemHardwareInfo::cpuDescription(), "Apple M2 (8 cores, 8 threads)");
}

TEST(HardwareFacts, ChipKeywordMatchesInAnyCase)
{
    SystemScene scene;
    const std::pair<const char*, bool> cases[] = {
        {"Apple M3 Max", false}, {"Intel Core i7", false}, {"Apple M8", true}, {"Apple m8 Pro", true}};
    for (const auto& [name, matches] : cases) {
        cpu_s cpu;
        cpu.name = name;
        cpu.physicalCores = 12;
        SystemKit::shared().device.info.cpu = cpu;
        EXPECT_EQ(QVSystemHardwareInfo::cpuMatchesChipKeyword(), matches) << name;
    }
    EXPECT_EQ(QVSystemHardwareInfo::chipKeyword, "m8");
}

TEST(HardwareFacts, MachineStringComesFromTheProfile)
{
    SystemScene scene("mbp-m1pro-2fan");
    EXPECT_EQ(CPUTypes::machineString(), "arm64");
    SystemPlatform::ActiveMachine::select("mbp-intel-2fan");
    EXPECT_EQ(CPUTypes::machineString(), "x86_64");
    SystemPlatform::Kernel::setUnameFailure(true);
    EXPECT_EQ(CPUTypes::machineString(), std::nullopt);
}

TEST(SizeTexts, MemorySizeInStepsOf1024)
{
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 KB"},
        {1023, "0 KB"},
        {1024, "1 KB"},
        {1536, "2 KB"},
        {2560, "2 KB"},
        {1048575, "1024 KB"},
        {1048576, "1 MB"},
        {1073741823, "1024 MB"},
        {1073741824, "1.0 GB"},
        {16ull << 30, "16.0 GB"},
        {1ull << 40, "1.0 TB"},
        {std::numeric_limits<uint64_t>::max(), "16777216.0 TB"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(MemorySize {value}.formatted(), text) << value;
}

TEST(SizeTexts, DiskSizeInStepsOf1000)
{
    const std::pair<int64_t, const char*> cases[] = {
        {-5, "0 KB"},
        {0, "0 KB"},
        {999, "0 KB"},
        {1000, "1 KB"},
        {999999, "1000 KB"},
        {1000000, "1 MB"},
        {999999999, "1000 MB"},
        {1500000000, "1.5 GB"},
        {500277792768, "500.3 GB"},
        {999999999999, "1000.0 GB"},
        {2000000000000, "2.0 TB"},
        {std::numeric_limits<int64_t>::max(), "9223372.0 TB"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(DiskSize {value}.formatted(), text) << value;

    const DiskSize size {1234567890123};
    EXPECT_DOUBLE_EQ(size.kilobytes(), 1234567890.123);
    EXPECT_DOUBLE_EQ(size.megabytes(), 1234567.890123);
    EXPECT_DOUBLE_EQ(size.gigabytes(), 1234.567890123);
    EXPECT_DOUBLE_EQ(size.terabytes(), 1.234567890123);
}

TEST(SizeTexts, DotDecimalUnderACommaLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no comma locale installed";
    EXPECT_EQ(MemorySize {16ull << 30}.formatted(), "16.0 GB");
    EXPECT_EQ(DiskSize {1500000000}.formatted(), "1.5 GB");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
