// Each probe of the system reader: its fallbacks, its failure path and the line it leaves.
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/SMC/MachError.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/DiskArbitration.h"
#include "Platform/System/IORegistry.h"
#include "Platform/System/Kernel.h"
#include "SystemScene.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <limits>

using namespace Aerlo;
using SystemPlatform::RegistryData;
using SystemPlatform::RegistryEntry;

namespace {

const std::string unreadable = "The data couldn’t be read because it isn’t in the correct format.";

// The log lines at `level` ("ERR", "DBG") with their prefix taken off.
std::vector<std::string> logged(const ConsoleCapture& console, std::string_view level)
{
    std::vector<std::string> messages;
    const std::string marker = " " + std::string(level) + " ";
    for (const std::string& line : console.lines())
        if (const auto at = line.find(marker); at != std::string::npos)
            messages.push_back(line.substr(at + marker.size()));
    return messages;
}

int currentYear() { return static_cast<int>(device_s::makeDefault().model.year); }

RegistryEntry node(std::string name, SystemPlatform::RegistryProperties properties = {})
{
    RegistryEntry entry;
    entry.className = "IOService";
    entry.name = std::move(name);
    entry.properties = std::move(properties);
    return entry;
}

RegistryEntry platformWith(std::vector<RegistryEntry> children)
{
    RegistryEntry platform;
    platform.className = "AppleARMPE";
    platform.name = "arm-io";
    platform.children = std::move(children);
    return platform;
}

std::string bytes(std::initializer_list<int> list)
{
    std::string text;
    for (int b : list)
        text.push_back(static_cast<char>(b));
    return text;
}

} // namespace

TEST(SystemReaderModel, MachinesMissingFromTheTableAreNamedByTheHardwareReport)
{
    struct Case {
        const char* facts;
        model_s model;
    };
    const Case cases[] = {
        {R"({"modelIdentifier": "Mac14,99", "modelName": "Mac Studio", "cpuBrand": "Apple M2 Max"})",
         {"Mac14,99", "Mac Studio (M2 Max)", currentYear(), deviceType::macStudio, ""}},
        {R"({"modelIdentifier": "Mac99,1", "modelName": "MacBook Air", "cpuBrand": "Apple M3"})",
         {"Mac99,1", "MacBook Air (M3)", currentYear(), deviceType::macbookAir, ""}},
        {R"({"modelIdentifier": "Mac99,2", "modelName": "Mac Thing", "cpuBrand": "APPLE M1 Ultra"})",
         {"Mac99,2", "Mac Thing (M1 Ultra)", currentYear(), deviceType::unknown, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.facts);
        SystemScene scene;
        SystemPlatform::ActiveMachine::select(scene.profileWithFacts("mbp-m1pro-2fan", c.facts).string());
        EXPECT_EQ(SystemKit::shared().device.model, c.model);
        EXPECT_EQ(scene.profilerRuns("SPHardwareDataType"), 1);
    }
}

TEST(SystemReaderModel, IntelMachineMissingFromTheTableKeepsTheDefaultModel)
{
    SystemScene scene;
    SystemPlatform::ActiveMachine::select(
        scene.profileWithFacts("mbp-intel-2fan", R"({"modelIdentifier": "MacBookPro99,1"})").string());
    ConsoleCapture console;
    EXPECT_EQ(SystemKit::shared().device.model, device_s::makeDefault().model);
    EXPECT_EQ(SystemKit::shared().device.platform, Platform::intel);
    EXPECT_EQ(console.output(), "");
}

TEST(SystemReaderModel, ThePlatformExpertComesFirstThenTheKernel)
{
    SystemScene scene;
    RegistryEntry expert;
    expert.className = "IOPlatformExpertDevice";
    expert.properties = {{"model", RegistryData {bytes({0x07}) + "Macmini9,1" + std::string(3, '\0')}},
                         {"IOPlatformSerialNumber", std::string(" \tC07XYZ\n")}};
    SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {expert});
    EXPECT_EQ(SystemKit::platformExpertInfo()->model, "Macmini9,1");
    EXPECT_EQ(SystemKit::platformExpertInfo()->serialNumber, "C07XYZ");
    EXPECT_EQ(SystemKit::shared().device.model.name, "Mac mini (M1)");
    EXPECT_EQ(SystemKit::shared().device.serialNumber, "C07XYZ");

    // A model that is text and a serial number that is data count for nothing: the kernel's model it is.
    expert.properties = {{"model", std::string("Macmini9,1")}, {"IOPlatformSerialNumber", RegistryData {"C07XYZ"}}};
    SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {expert});
    TestAccess::resetForTesting<SystemKit>();
    EXPECT_EQ(SystemKit::shared().device.model.id, "MacBookPro18,3");
    EXPECT_EQ(SystemKit::shared().device.serialNumber, std::nullopt);

    SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {});
    EXPECT_EQ(SystemKit::platformExpertInfo(), std::nullopt);
    EXPECT_EQ(SystemKit::modelID(), "MacBookPro18,3");
}

TEST(SystemReaderModel, FailedKernelModelIsLoggedAndTheReportNamesTheMachine)
{
    SystemScene scene;
    SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {});
    SystemPlatform::Kernel::setSysctlFailure("hw.model", EPERM);
    ConsoleCapture console;
    const device_s device = SystemKit::shared().device;
    EXPECT_EQ(logged(console, "ERR"),
              std::vector<std::string> {"error call sysctl(): " + IOKit::machErrorString(0xFFFFFFFF)});
    EXPECT_EQ(device.model,
              (model_s {"MacBookPro18,3", "MacBook Pro (M1 Pro)", currentYear(), deviceType::macbookPro, ""}));
    EXPECT_EQ(device.serialNumber, std::nullopt);
}

TEST(SystemReaderModel, UnreadableHardwareReportKeepsTheDefaultModel)
{
    const std::pair<const char*, bool> reports[] = {
        {"{\"SPHardwareDataType\": [", true},
        {"\"just a text\"", true},
        {"{\"SPHardwareDataType\": {}}", false},
        {"{\"SPHardwareDataType\": [{\"machine_name\": \"Mac mini\", \"machine_model\": 7, \"chip_type\": \"Apple M1\"}]}",
         false},
        {"{\"SPHardwareDataType\": []}", false},
        {"", false},
    };
    for (const auto& [report, logsParseError] : reports) {
        SCOPED_TRACE(report);
        SystemScene scene;
        SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {});
        SystemPlatform::Kernel::setSysctlFailure("hw.model", ENOENT);
        scene.profilerPrints("SPHardwareDataType", report);
        ConsoleCapture console;
        EXPECT_EQ(SystemKit::modelFromSystemProfiler(), std::nullopt);
        EXPECT_EQ(logged(console, "ERR"),
                  logsParseError
                      ? std::vector<std::string> {"error to parse system_profiler SPHardwareDataType: " + unreadable}
                      : std::vector<std::string> {});
    }
}

TEST(SystemReaderOS, BuildAndNameFromTheVersion)
{
    LocalizationTable::setTable(std::map<std::string, std::string> {{"Unknown", "未知"}});
    struct Case {
        OperatingSystemVersion version;
        const char* text;
        os_s os;
    };
    const Case cases[] = {
        {{14, 5, 0}, "Version 14.5 (Build 23F79)", {"Sonoma", {14, 5, 0}, "23F79"}},
        {{10, 15, 7}, "Version 10.15.7 (Build 19H2026)", {"Catalina", {10, 15, 7}, "19H2026"}},
        {{10, 13, 6}, "Version 10.13.6 (Build 17G66)", {"High Sierra", {10, 13, 6}, "17G66"}},
        {{10, 12, 6}, "Version 10.12.6 (Build 16G29)", {"未知", {10, 12, 6}, "16G29"}},
        {{11, 7, 0}, "Version 11.7 (Build 20G817)", {"Big Sur", {11, 7, 0}, "20G817"}},
        {{15, 0, 1}, "Version 15.0.1 (Build 24A348)", {"Sequoia", {15, 0, 1}, "24A348"}},
        {{26, 0, 0}, "Version 26.0 (Build 25A354)", {"未知", {26, 0, 0}, "25A354"}},
        {{14, 5, 0}, "Version 14.5", {"Sonoma", {14, 5, 0}, "未知"}},
        {{14, 5, 0}, "((Version 14.5 (Build 23F79) extra)", {"Sonoma", {14, 5, 0}, "23F79 extra"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemKit::operatingSystem(c.version, c.text), c.os) << c.text;
    LocalizationTable::setTable(std::nullopt);
    EXPECT_EQ(SystemKit::osNames().size(), 8u);
}

TEST(SystemReaderBootDate, FromTheKernelOrLogged)
{
    SystemScene scene;
    SystemPlatform::Kernel::setBootTime(SystemPlatform::timeval {1717000000, 250000});
    EXPECT_EQ(SystemKit::bootDate(),
              std::chrono::system_clock::time_point(std::chrono::microseconds(1717000000250000)));

    SystemPlatform::Kernel::setSysctlFailure("kern.boottime", EPERM);
    ConsoleCapture console;
    EXPECT_EQ(SystemKit::shared().device.bootDate, std::nullopt);
    EXPECT_EQ(logged(console, "ERR"),
              std::vector<std::string> {"获取启动时间失败: " + IOKit::machErrorString(0xFFFFFFFF)});
}

TEST(SystemReaderCPU, FailedHostInfoDropsTheWholeProcessor)
{
    SystemScene scene;
    SystemPlatform::Kernel::setHostInfoFailure(IOKit::kIOReturnError);
    ConsoleCapture console;
    const device_s device = SystemKit::shared().device;
    EXPECT_EQ(device.info.cpu, std::nullopt);
    EXPECT_EQ(device.platform, std::nullopt);
    EXPECT_EQ(logged(console, "ERR"), std::vector<std::string> {"read cores number: (iokit/common) general error"});
    // Through the default logger, naming the reader's source file.
    EXPECT_NE(console.output().find(" SystemKit.cpp:"), std::string::npos);
}

TEST(SystemReaderCPU, NoBrandLeavesNameAndPlatformAbsent)
{
    SystemScene scene;
    SystemPlatform::Kernel::setSysctlFailure("machdep.cpu.brand_string", ENOENT);
    const device_s device = SystemKit::shared().device;
    ASSERT_TRUE(device.info.cpu);
    EXPECT_EQ(device.info.cpu->name, std::nullopt);
    EXPECT_EQ(device.info.cpu->physicalCores, 10);
    EXPECT_EQ(device.platform, std::nullopt);
}

TEST(SystemReaderCPU, CountsBeyondEightBitsSaturate)
{
    SystemScene scene;
    SystemPlatform::ActiveMachine::select(
        scene.profileWithFacts("mbp-intel-2fan", R"({"physicalCores": 300, "logicalCores": 128})").string());
    const auto cpu = SystemKit::getCPU();
    ASSERT_TRUE(cpu);
    EXPECT_EQ(cpu->physicalCores, 127);
    EXPECT_EQ(cpu->logicalCores, 127);
}

TEST(SystemReaderCores, NodesOfTheProcessorComplex)
{
    SystemScene scene;
    RegistryEntry unnamed = node("cpu5", {{"cpu-id", RegistryData {bytes({5, 0, 0, 0})}}});
    unnamed.nameFailure = IOKit::kIOReturnNotFound;
    RegistryEntry noProperties = node("cpu6");
    noProperties.propertiesFailure = true;
    SystemPlatform::IORegistry::setServices(std::vector<RegistryEntry> {platformWith({
        node("cpus", {{"e-core-count", RegistryData {bytes({2, 0, 0, 0})}}, {"p-core-count", std::int64_t(8)}}),
        node("cpu0", {{"cpu-id", RegistryData {""}}, {"cluster-type", RegistryData {"E" + std::string(1, '\0')}}}),
        node("cpu1", {{"cpu-id", RegistryData {bytes({5, 1})}}, {"cluster-type", RegistryData {"P"}}}),
        node("cpu2",
             {{"cpu-id", RegistryData {bytes({7, 0, 0, 0, 9, 9, 9, 9})}}, {"cluster-type", RegistryData {"  P  "}}}),
        node("cpu3"),
        node("cpu4", {{"cpu-id", std::string("4")}, {"cluster-type", std::string("E")}}),
        node("pmgr", {{"cpu-id", RegistryData {bytes({1, 0, 0, 0})}}}),
        unnamed,
        noProperties,
        node("cpuX", {{"cpu-id", RegistryData {bytes({1, 0, 0, 0})}}}),
    })});
    ConsoleCapture console;
    const auto cores = SystemKit::appleSiliconCores();
    ASSERT_TRUE(cores);
    EXPECT_EQ(cores->eCores, 2);
    EXPECT_EQ(cores->pCores, std::nullopt);
    EXPECT_EQ(cores->cores, (std::vector<core_s> {{0, "cpu0", coreType::efficiency},
                                                  {0x0105, "cpu1", coreType::performance},
                                                  {7, "cpu2", coreType::performance},
                                                  {-1, "cpu3", coreType::unknown},
                                                  {-1, "cpu4", coreType::unknown}}));
    EXPECT_EQ(console.lines(),
              std::vector<std::string> {"Error IORegistryEntryGetName(): (iokit/common) data was not found"});
}

TEST(SystemReaderCores, MachinesWithoutTheProcessorComplexAndFailedMatching)
{
    SystemScene scene("mbp-intel-2fan");
    const auto intel = SystemKit::appleSiliconCores();
    ASSERT_TRUE(intel);
    EXPECT_EQ(intel->cores, std::vector<core_s> {});
    EXPECT_EQ(intel->eCores, std::nullopt);

    SystemPlatform::ActiveMachine::select("mbp-m1pro-2fan");
    SystemPlatform::IORegistry::setMatchingFailure("AppleARMPE", IOKit::kIOReturnNoDevice);
    ConsoleCapture console;
    const auto cpu = SystemKit::shared().device.info.cpu;
    ASSERT_TRUE(cpu);
    EXPECT_EQ(cpu->physicalCores, 10);
    EXPECT_EQ(cpu->cores, std::nullopt);
    EXPECT_EQ(cpu->eCores, std::nullopt);
    EXPECT_EQ(console.lines(), std::vector<std::string> {"Error find AppleARMPE: (iokit/common) no such device"});
}

TEST(SystemReaderMemory, SlotsAndTotals)
{
    struct Case {
        const char* report;
        std::optional<std::vector<dimm_s>> dimms;
    };
    const Case cases[] = {
        {R"({"SPMemoryDataType": [{"_name": "Memory Slots", "_items": [
            {"_name": "BANK 0/ChannelA-DIMM0", "dimm_size": "8 GB", "dimm_speed": "2667 MHz", "dimm_type": "DDR4"},
            {"_name": "BANK 1/ChannelB-DIMM0", "dimm_size": "empty", "dimm_type": "empty"},
            {"_name": "BANK 1/ChannelB-DIMM1", "dimm_size": "16 GB", "dimm_speed": 2667},
            {"_name": "DIMM 3", "dimm_size": "4 GB"},
            {"_name": "Slot/Channel", "dimm_size": "4 GB"},
            {"dimm_size": 4}]}]})",
         std::vector<dimm_s> {{0, "A", "DDR4", "8 GB", "2667 MHz"},
                              {1, "B", std::nullopt, "16 GB", std::nullopt},
                              {3, std::nullopt, std::nullopt, "4 GB", std::nullopt},
                              {std::nullopt, "", std::nullopt, "4 GB", std::nullopt},
                              {}}},
        {R"({"SPMemoryDataType": [{"SPMemoryDataType": "16 GB", "dimm_type": "LPDDR5"}]})",
         std::vector<dimm_s> {{std::nullopt, std::nullopt, std::nullopt, "16 GB", std::nullopt}}},
        {"{\"SPMemoryDataType\": [{\"SPMemoryDataType\": \"16 G\xff\"}]}",
         std::vector<dimm_s> {{std::nullopt, std::nullopt, std::nullopt, "16 G\xEF\xBF\xBD", std::nullopt}}},
        {R"({"SPMemoryDataType": [{"_items": [1], "SPMemoryDataType": "8 GB"}]})",
         std::vector<dimm_s> {{std::nullopt, std::nullopt, std::nullopt, "8 GB", std::nullopt}}},
        {R"({"SPMemoryDataType": [{"SPMemoryDataType": 16}]})", std::vector<dimm_s> {}},
        {R"({"SPMemoryDataType": [1, {}]})", std::vector<dimm_s> {}},
        {R"({"SPMemoryDataType": []})", std::vector<dimm_s> {}},
        {R"([{"SPMemoryDataType": []}])", std::vector<dimm_s> {}},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        SystemScene scene;
        scene.profilerPrints("SPMemoryDataType", c.report);
        ConsoleCapture console;
        const auto ram = SystemKit::getRAM();
        EXPECT_EQ(ram ? std::optional(ram->dimms) : std::nullopt, c.dimms);
        EXPECT_EQ(console.output(), "");
    }
}

TEST(SystemReaderMemory, UnreadableReportsAndAMissingTool)
{
    for (const char* report : {"{\"SPMemoryDataType\": [", "12", "not json at all"}) {
        SCOPED_TRACE(report);
        SystemScene scene;
        scene.profilerPrints("SPMemoryDataType", report);
        ConsoleCapture console;
        EXPECT_EQ(SystemKit::getRAM(), std::nullopt);
        EXPECT_EQ(logged(console, "ERR"),
                  std::vector<std::string> {"error to parse system_profiler SPMemoryDataType: " + unreadable});
    }

    SystemScene scene;
    scene.profilerMissing();
    ConsoleCapture console;
    const device_s device = SystemKit::shared().device;
    EXPECT_EQ(device.info.ram, std::nullopt);
    EXPECT_EQ(device.info.gpu, std::nullopt);
    EXPECT_EQ(device.model.id, "MacBookPro18,3");
    const auto lines = logged(console, "DBG");
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines)
        EXPECT_EQ(line, "system_profiler SPMemoryDataType: Could not launch \"/usr/sbin/system_profiler\": "
                        "the program is not available on this system");
}

TEST(SystemReaderDisplays, EntriesOfTheReport)
{
    struct Case {
        const char* report;
        std::optional<std::vector<gpu_s>> gpus;
        bool logsParseError = false;
    };
    const Case cases[] = {
        {R"({"SPDisplaysDataType": [
            {"sppci_model": "Intel UHD Graphics 630", "spdisplays_vendor": "sppci_vendor_intel",
             "spdisplays_vram_shared": "1536 MB", "spdisplays_vram": "2 GB"},
            {"sppci_model": "AMD Radeon Pro 5500M", "spdisplays_vram": "8 GB", "spdisplays_vram_shared": 3},
            {"sppci_model": "Apple M2", "sppci_cores": "10"},
            {"sppci_cores": "ten"},
            {"sppci_cores": 10}]})",
         std::vector<gpu_s> {{"Intel UHD Graphics 630", "sppci_vendor_intel", "1536 MB", std::nullopt},
                             {"AMD Radeon Pro 5500M", std::nullopt, "8 GB", std::nullopt},
                             {"Apple M2", std::nullopt, std::nullopt, 10},
                             {},
                             {}}},
        {R"({"SPDisplaysDataType": [{"sppci_cores": "99999999999999999999"}]})", std::vector<gpu_s> {{}}},
        {R"({"Other": []})", std::vector<gpu_s> {}},
        {R"({"SPDisplaysDataType": [{}, "x"]})", std::vector<gpu_s> {}},
        {"", std::nullopt},
        {"{\"SPDisplaysDataType\": [}", std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        SystemScene scene;
        scene.profilerPrints("SPDisplaysDataType", c.report);
        ConsoleCapture console;
        EXPECT_EQ(SystemKit::getGPUs(), c.gpus);
        EXPECT_EQ(logged(console, "ERR"),
                  c.logsParseError
                      ? std::vector<std::string> {"error to parse system_profiler SPDisplaysDataType: " + unreadable}
                      : std::vector<std::string> {});
    }
}

TEST(SystemReaderDisk, TheRootVolumesDescription)
{
    using SystemPlatform::DiskDescription;
    using SystemPlatform::MountedVolume;
    struct Case {
        const char* what;
        std::vector<MountedVolume> volumes;
        std::optional<disk_s> disk;
        bool logs = false;
    };
    const DiskDescription internal {{"DAMediaName", std::string("Disk Media")},
                                    {"DADeviceModel", std::string("  Model X \n")},
                                    {"DAMediaSize", std::int64_t(500)},
                                    {"DAMediaRemovable", false}};
    const Case cases[] = {
        {"trimmed model", {{"/", "HD", internal, {}}}, disk_s {"Disk Media", "Model X", 500}},
        {"only the root volume counts",
         {{"/Volumes/Stick", "Stick", DiskDescription {}, {}},
          {"/", "HD", internal, {}},
          {"/System/Volumes/Data", "Data", DiskDescription {}, {}}},
         disk_s {"Disk Media", "Model X", 500}},
        {"removable media",
         {{"/", "HD", DiskDescription {{"DAMediaRemovable", true}, {"DAMediaSize", std::int64_t(9)}}, {}}},
         std::nullopt},
        {"other kinds of entries",
         {{"/",
           "HD",
           DiskDescription {{"DAMediaName", std::int64_t(1)},
                            {"DADeviceModel", true},
                            {"DAMediaSize", std::string("500")},
                            {"DAMediaRemovable", std::string("yes")}},
           {}}},
         disk_s {"", "", 0}},
        {"sizes saturate",
         {{"/", "HD", DiskDescription {{"DAMediaSize", 1e30}}, {}}},
         disk_s {"", "", std::numeric_limits<std::int64_t>::max()}},
        {"sizes truncate", {{"/", "HD", DiskDescription {{"DAMediaSize", 2.9e3}}, {}}}, disk_s {"", "", 2900}},
        {"no root volume", {{"/Volumes/Stick", "Stick", internal, {}}}, std::nullopt, true},
        {"root volume without a disk", {{"/", "HD", std::nullopt, {}}}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SystemScene scene;
        SystemPlatform::DiskArbitration::setVolumes(c.volumes);
        ConsoleCapture console;
        EXPECT_EQ(SystemKit::getDisk(), c.disk);
        EXPECT_EQ(logged(console, "ERR"),
                  c.logs ? std::vector<std::string> {"empty disk after fetching list"} : std::vector<std::string> {});
    }
}

TEST(SystemReaderDisk, NoSessionOrVolumeListIsLogged)
{
    for (const bool session : {true, false}) {
        SystemScene scene;
        (session ? SystemPlatform::DiskArbitration::setSessionFailure
                 : SystemPlatform::DiskArbitration::setVolumeListFailure)(true);
        ConsoleCapture console;
        EXPECT_EQ(SystemKit::shared().device.info.disk, std::nullopt);
        EXPECT_EQ(logged(console, "ERR"), std::vector<std::string> {"empty disk after fetching list"});
    }
}

TEST(SystemReaderDisk, AMachineWithoutDiskFactsShowsTheHostsRootSize)
{
    SystemScene scene;
    auto profile = SMCSim::MachineProfile::load("mbp-m1pro-2fan");
    ASSERT_TRUE(profile);
    profile->facts.disk.reset();
    SystemPlatform::ActiveMachine::set(std::make_shared<const SMCSim::MachineProfile>(*profile));
    const auto disk = SystemKit::getDisk();
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->name, "");
    EXPECT_GT(disk->size, 0);
}
