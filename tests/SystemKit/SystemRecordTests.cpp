// The system record each shipped machine gives, and the model table.
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/SMC/MachineProfile.h"
#include "SystemScene.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

using namespace Aerlo;

namespace {

struct Expected {
    const char* machine;
    model_s model; // year 0: the current year
    const char* serial;
    const char* cpuName;
    int8_t physicalCores;
    int8_t logicalCores;
    std::optional<int32_t> eCores;
    std::optional<int32_t> pCores;
    std::vector<dimm_s> dimms;
    std::vector<gpu_s> gpus;
    disk_s disk;
    os_s os;
    std::optional<Platform> platform;
};

dimm_s slot(std::optional<int64_t> bank, std::optional<std::string> channel, const char* type, const char* size,
            const char* speed)
{
    return {bank, std::move(channel), type, size, speed};
}

dimm_s total(const char* size) { return {std::nullopt, std::nullopt, std::nullopt, size, std::nullopt}; }

gpu_s appleGPU(const char* name, int64_t cores) { return {name, "sppci_vendor_Apple", std::nullopt, cores}; }

const std::vector<Expected>& shippedMachines()
{
    static const std::vector<Expected> machines {
        {"imac-intel-1fan",
         {"iMac18,3", "iMac 27-Inch (5K)", 2017, deviceType::iMac, "A1419"},
         "C02V71ZEJ1GJ",
         "Intel Core i5-7600 3.50GHz",
         4,
         4,
         std::nullopt,
         std::nullopt,
         {slot(0, std::nullopt, "DDR4", "4 GB", "2400 MHz"), slot(1, std::nullopt, "DDR4", "4 GB", "2400 MHz")},
         {{"Radeon Pro 575", "sppci_vendor_amd", "4 GB", std::nullopt}},
         {"APPLE HDD ST1000DM003 Media", "APPLE HDD ST1000DM003", 1000204886016},
         {"High Sierra", {10, 13, 6}, "17G65"},
         Platform::intel},
        {"macpro-intel-4fan",
         {"MacPro7,1", "Mac Pro", 2019, deviceType::macPro, "A1991"},
         "F5KZ90ABP7QM",
         "Intel Xeon W-3223 3.50GHz",
         8,
         16,
         std::nullopt,
         std::nullopt,
         {slot(1, std::nullopt, "DDR4 ECC", "8 GB", "2933 MHz"), slot(3, std::nullopt, "DDR4 ECC", "8 GB", "2933 MHz"),
          slot(5, std::nullopt, "DDR4 ECC", "8 GB", "2933 MHz"), slot(8, std::nullopt, "DDR4 ECC", "8 GB", "2933 MHz")},
         {{"Radeon Pro 580X", "sppci_vendor_amd", "8 GB", std::nullopt}},
         {"APPLE SSD AP0256N Media", "APPLE SSD AP0256N", 251000193024},
         {"Catalina", {10, 15, 3}, "19D49f"},
         Platform::intel},
        {"mba-intel-t2-1fan",
         {"MacBookAir8,1", "MacBook Air 13\"", 2018, deviceType::macbookAir, "A1932"},
         "FVFDC1ABQ6L4",
         "Intel Core i5-8210Y 1.60GHz",
         2,
         4,
         std::nullopt,
         std::nullopt,
         {slot(0, "A", "LPDDR3", "4 GB", "2133 MHz"), slot(1, "B", "LPDDR3", "4 GB", "2133 MHz")},
         {{"Intel UHD Graphics 617", "sppci_vendor_intel", "1536 MB", std::nullopt}},
         {"APPLE SSD AP0256M Media", "APPLE SSD AP0256M", 251000193024},
         {"Mojave", {10, 14, 1}, "18B2084"},
         Platform::intel},
        {"mba-m1-nofan",
         {"MacBookAir10,1", "MacBook Air 13\" (M1)", 2020, deviceType::macbookAir, "A2337"},
         "FVFF31ZAQ6L7",
         "Apple M1",
         8,
         8,
         4,
         4,
         {total("8 GB")},
         {appleGPU("Apple M1", 7)},
         {"APPLE SSD AP0256Q Media", "APPLE SSD AP0256Q", 251000193024},
         {"Sonoma", {14, 6, 1}, "23G93"},
         Platform::m1},
        {"mbp-intel-2fan",
         {"MacBookPro11,4", "MacBook Pro 15\"", 2015, deviceType::macbookPro, "A1398"},
         "C02RT0K3G8WN",
         "Intel Core i7-4770HQ 2.20GHz",
         4,
         8,
         std::nullopt,
         std::nullopt,
         {slot(0, std::nullopt, "DDR3", "8 GB", "1600 MHz"), slot(1, std::nullopt, "DDR3", "8 GB", "1600 MHz")},
         {{"Intel Iris Pro", "sppci_vendor_intel", "1536 MB", std::nullopt}},
         {"APPLE SSD SM0512G Media", "APPLE SSD SM0512G", 500277790720},
         {"High Sierra", {10, 13, 6}, "17G65"},
         Platform::intel},
        {"mbp-m1pro-2fan",
         {"MacBookPro18,3", "MacBook Pro 14\" (M1 Pro)", 2021, deviceType::macbookPro, "A2442"},
         "K7XQ2M9V4P",
         "Apple M1 Pro",
         10,
         10,
         2,
         8,
         {total("16 GB")},
         {appleGPU("Apple M1 Pro", 16)},
         {"APPLE SSD AP0512R Media", "APPLE SSD AP0512R", 500277792768},
         {"Sonoma", {14, 5, 0}, "23F79"},
         Platform::m1Pro},
        {"mbp-m3max-2fan",
         {"Mac15,9", "MacBook Pro 16\" (M3 Max, 16 CPU/40 GPU)", 2023, deviceType::macbookPro, "A2991"},
         "H4WK7N2QX1",
         "Apple M3 Max",
         16,
         16,
         4,
         12,
         {total("48 GB")},
         {appleGPU("Apple M3 Max", 40)},
         {"APPLE SSD AP1024Z Media", "APPLE SSD AP1024Z", 1000555581440},
         {"Sonoma", {14, 6, 0}, "23G80"},
         Platform::m3Max},
        {"mbp-m4pro-2fan",
         {"Mac16,8", "MacBook Pro 14\" (M4 Pro)", 2024, deviceType::macbookPro, "A3401"},
         "X9R3T6Y2LW",
         "Apple M4 Pro",
         14,
         14,
         4,
         10,
         {total("24 GB")},
         {appleGPU("Apple M4 Pro", 20)},
         {"APPLE SSD AP0512Z Media", "APPLE SSD AP0512Z", 500277792768},
         {"Sequoia", {15, 2, 0}, "24C101"},
         Platform::m4Pro},
        {"mini-intel-t2-1fan",
         {"Macmini8,1", "Mac mini", 2018, deviceType::macMini, "A1993"},
         "C07XK1ABJYVX",
         "Intel Core i3-8100B 3.60GHz",
         4,
         4,
         std::nullopt,
         std::nullopt,
         {slot(0, "A", "DDR4", "4 GB", "2667 MHz"), slot(1, "B", "DDR4", "4 GB", "2667 MHz")},
         {{"Intel UHD Graphics 630", "sppci_vendor_intel", "1536 MB", std::nullopt}},
         {"APPLE SSD AP0128M Media", "APPLE SSD AP0128M", 121332826112},
         {"Mojave", {10, 14, 4}, "18E226"},
         Platform::intel},
        {"mini-m2-1fan",
         {"Mac14,3", "Mac mini (M2)", 2023, deviceType::macMini, "A2686"},
         "J2P6V8K1MD",
         "Apple M2",
         8,
         8,
         4,
         4,
         {total("8 GB")},
         {appleGPU("Apple M2", 10)},
         {"APPLE SSD AP0256Z Media", "APPLE SSD AP0256Z", 251000193024},
         {"Sonoma", {14, 4, 1}, "23E224"},
         Platform::m2},
        {"mini-m4-1fan",
         {"Mac16,10", "Mac mini (M4)", 2024, deviceType::macMini, "A3238"},
         "M5N8Q2W7ZR",
         "Apple M4",
         10,
         10,
         6,
         4,
         {total("16 GB")},
         {appleGPU("Apple M4", 10)},
         {"APPLE SSD AP0256Z Media", "APPLE SSD AP0256Z", 251000193024},
         {"Sequoia", {15, 1, 0}, "24B83"},
         Platform::m4},
        // Missing from the model table: the hardware report names it; no known generation.
        {"unknown-platform",
         {"Mac17,2", "MacBook Pro (M5)", 0, deviceType::macbookPro, ""},
         "Q3T7Z1X5CV",
         "Apple M5",
         10,
         10,
         6,
         4,
         {total("16 GB")},
         {appleGPU("Apple M5", 10)},
         {"APPLE SSD AP0512Z Media", "APPLE SSD AP0512Z", 500277792768},
         {"Unknown", {26, 0, 0}, "25A354"},
         std::nullopt},
    };
    return machines;
}

} // namespace

TEST(SystemRecord, EveryShippedMachine)
{
    std::set<std::string> covered;
    for (const Expected& expected : shippedMachines()) {
        SCOPED_TRACE(expected.machine);
        SystemScene scene(expected.machine);
        ConsoleCapture console;
        const device_s device = SystemKit::shared().device;
        covered.insert(expected.machine);

        model_s model = expected.model;
        if (model.year == 0)
            model.year = device_s::makeDefault().model.year;
        EXPECT_EQ(device.model, model);
        EXPECT_EQ(device.serialNumber, expected.serial);
        ASSERT_TRUE(device.info.cpu);
        const cpu_s& cpu = *device.info.cpu;
        EXPECT_EQ(cpu.name, expected.cpuName);
        EXPECT_EQ(cpu.physicalCores, expected.physicalCores);
        EXPECT_EQ(cpu.logicalCores, expected.logicalCores);
        EXPECT_EQ(cpu.eCores, expected.eCores);
        EXPECT_EQ(cpu.pCores, expected.pCores);
        ASSERT_TRUE(cpu.cores);
        const int32_t efficiency = expected.eCores.value_or(0);
        ASSERT_EQ(cpu.cores->size(), size_t(efficiency + expected.pCores.value_or(0)));
        for (size_t i = 0; i < cpu.cores->size(); ++i) {
            const core_s& core = (*cpu.cores)[i];
            EXPECT_EQ(core, (core_s {int32_t(i), "cpu" + std::to_string(i),
                                     int32_t(i) < efficiency ? coreType::efficiency : coreType::performance}));
        }
        EXPECT_EQ(device.info.ram, ram_s {expected.dimms});
        EXPECT_EQ(device.info.gpu, expected.gpus);
        EXPECT_EQ(device.info.disk, expected.disk);
        EXPECT_EQ(device.os, expected.os);
        EXPECT_EQ(device.platform, expected.platform);
        EXPECT_TRUE(device.bootDate);
        // The hardware report is asked only for a machine the table lacks.
        EXPECT_EQ(scene.profilerRuns("SPHardwareDataType"), expected.model.year == 0 ? 1 : 0);
        EXPECT_EQ(scene.profilerRuns("SPMemoryDataType"), 1);
        EXPECT_EQ(scene.profilerRuns("SPDisplaysDataType"), 1);
        EXPECT_EQ(console.output(), "");
    }
    EXPECT_EQ(covered.size(), SMCSim::MachineProfile::availableNames().size());
}

// The family decided from the processor name agrees with the one the profile declares for the SMC.
TEST(SystemRecord, PlatformAgreesWithTheProfile)
{
    for (const std::string& name : SMCSim::MachineProfile::availableNames()) {
        SCOPED_TRACE(name);
        SystemScene scene(name);
        const auto profile = SMCSim::MachineProfile::load(name);
        ASSERT_TRUE(profile);
        const auto platform = SystemKit::shared().device.platform;
        EXPECT_EQ(platform ? std::optional<std::string>(rawValue(*platform)) : std::nullopt, profile->platform);
    }
}

TEST(SystemRecord, GatheredOnceForEveryThread)
{
    SystemScene scene;
    std::vector<std::thread> threads;
    std::vector<const SystemKit*> seen(4);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &SystemKit::shared(); });
    for (std::thread& thread : threads)
        thread.join();
    for (const SystemKit* kit : seen)
        EXPECT_EQ(kit, seen.front());
    EXPECT_EQ(scene.profilerRuns("SPMemoryDataType"), 1);
    EXPECT_EQ(scene.profilerRuns("SPDisplaysDataType"), 1);

    TestAccess::resetForTesting<SystemKit>();
    EXPECT_NE(SystemKit::shared().device.platform, std::nullopt);
    EXPECT_EQ(scene.profilerRuns("SPMemoryDataType"), 2);
}

TEST(SystemModels, NinetyNineRowsInTableOrder)
{
    const auto& rows = SystemKit::modelRows();
    ASSERT_EQ(rows.size(), 99u);
    EXPECT_EQ(SystemKit::models().size(), 99u);
    const std::vector<std::string> identifiers {
        "Macmini6,1",     "Macmini6,2",     "Macmini7,1",     "Macmini8,1",     "Macmini9,1",     "Mac14,3",
        "Mac14,12",       "Mac16,10",       "Mac16,11",       "Mac13,1",        "Mac13,2",        "Mac14,13",
        "Mac14,14",       "MacPro5,1",      "MacPro6,1",      "MacPro7,1",      "Mac14,8",        "iMac12,1",
        "iMac13,1",       "iMac13,2",       "iMac14,2",       "iMac15,1",       "iMac17,1",       "iMac18,1",
        "iMac18,2",       "iMac18,3",       "iMac19,1",       "iMac20,1",       "iMac20,2",       "iMac21,1",
        "iMac21,2",       "Mac15,4",        "Mac15,5",        "Mac16,2",        "Mac16,3",        "iMacPro1,1",
        "MacBook8,1",     "MacBook9,1",     "MacBook10,1",    "MacBookAir5,1",  "MacBookAir5,2",  "MacBookAir6,1",
        "MacBookAir6,2",  "MacBookAir7,1",  "MacBookAir7,2",  "MacBookAir8,1",  "MacBookAir8,2",  "MacBookAir9,1",
        "MacBookAir10,1", "Mac14,2",        "Mac14,15",       "Mac15,12",       "Mac15,13",       "MacBookPro9,1",
        "MacBookPro9,2",  "MacBookPro10,1", "MacBookPro10,2", "MacBookPro11,1", "MacBookPro11,2", "MacBookPro11,3",
        "MacBookPro11,4", "MacBookPro11,5", "MacBookPro12,1", "MacBookPro13,1", "MacBookPro13,2", "MacBookPro13,3",
        "MacBookPro14,1", "MacBookPro14,2", "MacBookPro14,3", "MacBookPro15,1", "MacBookPro15,2", "MacBookPro15,3",
        "MacBookPro15,4", "MacBookPro16,1", "MacBookPro16,2", "MacBookPro16,3", "MacBookPro16,4", "MacBookPro17,1",
        "MacBookPro18,1", "MacBookPro18,2", "MacBookPro18,3", "MacBookPro18,4", "Mac14,7",        "Mac14,5",
        "Mac14,6",        "Mac14,9",        "Mac14,10",       "Mac15,3",        "Mac15,6",        "Mac15,7",
        "Mac15,8",        "Mac15,9",        "Mac15,10",       "Mac15,11",       "Mac16,1",        "Mac16,8",
        "Mac16,6",        "Mac16,5",        "Mac16,7",
    };
    std::vector<std::string> inOrder;
    for (const auto& row : rows)
        inOrder.push_back(row.first);
    EXPECT_EQ(inOrder, identifiers);

    std::map<deviceType, int> lines;
    for (const auto& [identifier, model] : rows) {
        ++lines[model.type];
        EXPECT_EQ(model.id, "") << identifier;
        EXPECT_GE(model.year, 2010) << identifier;
        EXPECT_LE(model.year, 2024) << identifier;
        EXPECT_TRUE(model.modelNumber.starts_with("A")) << identifier;
        // Laptop names carry the screen size with an inch mark.
        if (model.type == deviceType::macbookAir || model.type == deviceType::macbookPro) {
            EXPECT_NE(model.name.find('"'), std::string::npos) << identifier;
        }
    }
    EXPECT_EQ(lines, (std::map<deviceType, int> {{deviceType::macMini, 9},
                                                 {deviceType::macStudio, 4},
                                                 {deviceType::macPro, 4},
                                                 {deviceType::iMac, 18},
                                                 {deviceType::iMacPro, 1},
                                                 {deviceType::macbook, 3},
                                                 {deviceType::macbookAir, 14},
                                                 {deviceType::macbookPro, 46}}));
}

TEST(SystemModels, TellingRows)
{
    const std::vector<std::pair<std::string, model_s>> telling {
        {"Macmini6,1", {"", "Mac mini", 2012, deviceType::macMini, "A1347"}},
        {"Macmini9,1", {"", "Mac mini (M1)", 2020, deviceType::macMini, "A2348"}},
        {"Mac16,11", {"", "Mac mini (M4 Pro)", 2024, deviceType::macMini, "A3239"}},
        {"Mac13,2", {"", "Mac Studio (M1 Ultra)", 2022, deviceType::macStudio, "A2615"}},
        {"MacPro7,1", {"", "Mac Pro", 2019, deviceType::macPro, "A1991"}},
        {"Mac14,8", {"", "Mac Pro (M2 Ultra)", 2023, deviceType::macPro, "A2786"}},
        {"iMac21,1", {"", "iMac 24-Inch (M1)", 2021, deviceType::iMac, "A2438"}},
        {"Mac16,3", {"", "iMac 24-Inch (M4, 10 CPU/10 GPU)", 2024, deviceType::iMac, "A3137"}},
        {"iMacPro1,1", {"", "iMac Pro", 2017, deviceType::iMacPro, "A1862"}},
        {"MacBook10,1", {"", "MacBook", 2017, deviceType::macbook, "A1534"}},
        {"MacBookPro18,3", {"", "MacBook Pro 14\" (M1 Pro)", 2021, deviceType::macbookPro, "A2442"}},
        {"Mac15,7", {"", "MacBook Pro 16\" (M3 Pro, 12 CPU/18 GPU)", 2023, deviceType::macbookPro, "A2991"}},
    };
    for (const auto& [identifier, model] : telling) {
        const auto found = SystemKit::models().find(identifier);
        ASSERT_NE(found, SystemKit::models().end()) << identifier;
        EXPECT_EQ(found->second, model) << identifier;
    }
    EXPECT_EQ(SystemKit::models().count("Mac17,2"), 0u);
}
