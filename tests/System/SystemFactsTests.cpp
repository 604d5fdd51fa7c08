// The system-facts stand-ins: kernel, registry, disks, OS version and the system profiler.
#include "Platform/Foundation/Process.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/DiskArbitration.h"
#include "Platform/System/IORegistry.h"
#include "Platform/System/Kernel.h"
#include "Platform/System/ProcessInfo.h"
#include "Platform/System/SystemProfiler.h"
#include "tests/Support/TestAccess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace SystemPlatform;
using json = nlohmann::json;

namespace {

// The named machine with every stand-in at its defaults; the previous machine comes back afterwards.
class MachineScope {
public:
    explicit MachineScope(std::string_view machine)
    {
        if (const char* old = std::getenv("AERLO_MACHINE"))
            previous_ = old;
        ActiveMachine::select(machine);
        resetAll();
    }
    ~MachineScope()
    {
        resetAll();
        ActiveMachine::select(previous_.value_or(""));
    }

private:
    static void resetAll()
    {
        TestAccess::resetForTesting<Kernel>();
        TestAccess::resetForTesting<IORegistry>();
        TestAccess::resetForTesting<DiskArbitration>();
    }
    std::optional<std::string> previous_;
};

std::string textByName(const char* name)
{
    std::size_t size = 0;
    if (Kernel::sysctlbyname(name, nullptr, &size) != 0)
        return "<" + std::string(std::strerror(errno)) + ">";
    std::string buffer(size, '\x7f');
    EXPECT_EQ(Kernel::sysctlbyname(name, buffer.data(), &size), 0);
    EXPECT_EQ(buffer.back(), '\0');
    return buffer.c_str();
}

template <class T>
std::optional<T> numberByName(const char* name)
{
    T value {};
    std::size_t size = sizeof value;
    if (Kernel::sysctlbyname(name, &value, &size) != 0 || size != sizeof value)
        return std::nullopt;
    return value;
}

json hardwareReport(std::string_view machine)
{
    const auto profile = SMCSim::MachineProfile::load(machine);
    return json::parse(SystemProfiler::report(*profile, {"SPHardwareDataType"}, true))["SPHardwareDataType"][0];
}

} // namespace

TEST(KernelStandIn, NamesAnsweredFromTheMachine)
{
    MachineScope scope("mbp-m1pro-2fan");
    EXPECT_EQ(textByName("hw.model"), "MacBookPro18,3");
    EXPECT_EQ(textByName("machdep.cpu.brand_string"), "Apple M1 Pro");
    EXPECT_EQ(textByName("hw.machine"), "arm64");
    EXPECT_EQ(textByName("kern.osproductversion"), "14.5");
    EXPECT_EQ(textByName("kern.osversion"), "23F79");
    EXPECT_EQ(numberByName<int64_t>("hw.memsize"), 17179869184);
    EXPECT_EQ(numberByName<int32_t>("hw.physicalcpu"), 10);
    EXPECT_EQ(numberByName<int32_t>("hw.logicalcpu"), 10);
    EXPECT_EQ(numberByName<int32_t>("hw.nperflevels"), 2);
    EXPECT_EQ(numberByName<int32_t>("hw.perflevel0.physicalcpu"), 8);
    EXPECT_EQ(numberByName<int32_t>("hw.perflevel1.physicalcpu"), 2);
    EXPECT_EQ(textByName("hw.no.such.name"), "<" + std::string(std::strerror(ENOENT)) + ">");

    ActiveMachine::select("mbp-intel-2fan");
    EXPECT_EQ(textByName("hw.model"), "MacBookPro11,4");
    EXPECT_EQ(textByName("hw.machine"), "x86_64");
    EXPECT_EQ(numberByName<int32_t>("hw.nperflevels"), 1);
    EXPECT_EQ(numberByName<int32_t>("hw.perflevel0.physicalcpu"), std::nullopt);
}

TEST(KernelStandIn, ManagementNamesShortBuffersAndFailures)
{
    MachineScope scope("mini-m2-1fan");
    int model[2] = {CTL_HW, HW_MODEL};
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    std::size_t length = 5;
    EXPECT_EQ(Kernel::sysctl(model, 2, buffer, &length), -1);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::string(buffer, 6), "Mac14x");
    length = sizeof buffer;
    EXPECT_EQ(Kernel::sysctl(model, 2, buffer, &length), 0);
    EXPECT_EQ(std::string(buffer, length), std::string("Mac14,3") + '\0');

    int unknown[2] = {CTL_HW, 99};
    length = sizeof buffer;
    EXPECT_EQ(Kernel::sysctl(unknown, 2, buffer, &length), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(Kernel::sysctl(model, 3, buffer, &length), -1);

    int boot[2] = {CTL_KERN, KERN_BOOTTIME};
    SystemPlatform::timeval record;
    length = sizeof record;
    ASSERT_EQ(Kernel::sysctl(boot, 2, &record, &length), 0);
    EXPECT_EQ(length, 16u);
    EXPECT_GT(record.tv_sec, 0);
    EXPECT_LE(record.tv_sec, std::time(nullptr));
    EXPECT_LT(record.tv_usec, 1000000);
    Kernel::setBootTime(SystemPlatform::timeval {1717000000, 250000});
    ASSERT_EQ(Kernel::sysctl(boot, 2, &record, &length), 0);
    EXPECT_EQ(record.tv_sec, 1717000000);
    EXPECT_EQ(record.tv_usec, 250000);

    Kernel::setSysctlFailure("kern.boottime", EPERM);
    EXPECT_EQ(Kernel::sysctl(boot, 2, &record, &length), -1);
    EXPECT_EQ(errno, EPERM);
    Kernel::setSysctlFailure("kern.boottime", 0);
    EXPECT_EQ(Kernel::sysctl(boot, 2, &record, &length), 0);
}

TEST(KernelStandIn, HostInfoAndUname)
{
    MachineScope scope("mbp-intel-2fan");
    host_basic_info info;
    std::uint32_t count = HOST_BASIC_INFO_COUNT;
    ASSERT_EQ(Kernel::host_info(HOST_BASIC_INFO, reinterpret_cast<std::int32_t*>(&info), &count), 0u);
    EXPECT_EQ(count, 12u);
    EXPECT_EQ(info.physical_cpu, 4);
    EXPECT_EQ(info.logical_cpu, 8);
    EXPECT_EQ(info.max_mem, 17179869184u);
    EXPECT_EQ(info.memory_size, 0x80000000u);

    count = 11;
    EXPECT_EQ(Kernel::host_info(HOST_BASIC_INFO, reinterpret_cast<std::int32_t*>(&info), &count),
              IOKit::kIOReturnBadArgument);
    count = HOST_BASIC_INFO_COUNT;
    Kernel::setHostInfoFailure(IOKit::kIOReturnError);
    EXPECT_EQ(Kernel::host_info(HOST_BASIC_INFO, reinterpret_cast<std::int32_t*>(&info), &count),
              IOKit::kIOReturnError);

    utsname name;
    ASSERT_EQ(Kernel::uname(&name), 0);
    EXPECT_STREQ(name.sysname, "Darwin");
    EXPECT_STREQ(name.machine, "x86_64");
    EXPECT_EQ(name.machine[255], '\0');
    ActiveMachine::select("mbp-m4pro-2fan");
    ASSERT_EQ(Kernel::uname(&name), 0);
    EXPECT_STREQ(name.machine, "arm64");
    Kernel::setUnameFailure(true);
    EXPECT_EQ(Kernel::uname(&name), -1);

    // No machine: nothing but the boot time answers.
    ActiveMachine::set(nullptr);
    TestAccess::resetForTesting<Kernel>();
    EXPECT_EQ(Kernel::uname(&name), -1);
    EXPECT_EQ(Kernel::host_info(HOST_BASIC_INFO, reinterpret_cast<std::int32_t*>(&info), &count),
              IOKit::kIOReturnNoDevice);
    EXPECT_EQ(textByName("hw.model"), "<" + std::string(std::strerror(ENOENT)) + ">");
}

TEST(RegistryStandIn, PlatformExpertAndProcessorNodes)
{
    MachineScope scope("mini-m4-1fan");
    const auto expert = IORegistry::getMatchingService("IOPlatformExpertDevice");
    ASSERT_TRUE(expert);
    EXPECT_EQ(std::get<RegistryData>(expert->properties.at("model")).bytes, std::string("Mac16,10") + '\0');
    EXPECT_EQ(std::get<std::string>(expert->properties.at("IOPlatformSerialNumber")), "M5N8Q2W7ZR");
    EXPECT_EQ(std::get<std::string>(expert->properties.at("IOPlatformUUID")), "D4E5F6A7-B8C9-4D0E-8F1A-2B3C4D5E6F7A");

    std::vector<RegistryEntry> services;
    ASSERT_EQ(IORegistry::getMatchingServices("AppleARMPE", services), 0u);
    ASSERT_EQ(services.size(), 1u);
    std::vector<std::string> names;
    for (const RegistryEntry& child : services[0].children)
        names.push_back(child.name);
    EXPECT_EQ(names, (std::vector<std::string> {"cpus", "cpu0", "cpu1", "cpu2", "cpu3", "cpu4", "cpu5", "cpu6", "cpu7",
                                                "cpu8", "cpu9"}));
    const RegistryEntry& cpus = services[0].children[0];
    EXPECT_EQ(std::get<RegistryData>(cpus.properties.at("e-core-count")).bytes, std::string("\x06\0\0\0", 4));
    EXPECT_EQ(std::get<RegistryData>(cpus.properties.at("p-core-count")).bytes, std::string("\x04\0\0\0", 4));
    const RegistryEntry& last = services[0].children.back();
    EXPECT_EQ(std::get<RegistryData>(last.properties.at("cluster-type")).bytes, std::string("P\0", 2));
    EXPECT_EQ(std::get<RegistryData>(last.properties.at("cpu-id")).bytes, std::string("\x09\0\0\0", 4));
    EXPECT_EQ(std::get<RegistryData>(services[0].children[6].properties.at("cluster-type")).bytes,
              std::string("E\0", 2));

    ActiveMachine::select("macpro-intel-4fan");
    EXPECT_EQ(IORegistry::getMatchingServices("AppleARMPE", services), 0u);
    EXPECT_TRUE(services.empty());
    IORegistry::setMatchingFailure("AppleARMPE", IOKit::kIOReturnNoDevice);
    EXPECT_EQ(IORegistry::getMatchingServices("AppleARMPE", services), IOKit::kIOReturnNoDevice);
    EXPECT_TRUE(IORegistry::getMatchingService("IOPlatformExpertDevice"));
}

TEST(RegistryStandIn, NamesFitTheRegistryBuffer)
{
    RegistryEntry entry;
    entry.name = std::string(200, 'n');
    char name[128];
    EXPECT_EQ(IORegistry::entryGetName(entry, name), 0u);
    EXPECT_EQ(std::strlen(name), 127u);
    entry.nameFailure = IOKit::kIOReturnNotFound;
    EXPECT_EQ(IORegistry::entryGetName(entry, name), IOKit::kIOReturnNotFound);
    entry.propertiesFailure = true;
    EXPECT_EQ(IORegistry::entryCreateCFProperties(entry), std::nullopt);
}

TEST(DiskStandIn, BootVolumeOfTheMachine)
{
    MachineScope scope("mbp-m1pro-2fan");
    const auto volumes = DiskArbitration::mountedVolumes();
    ASSERT_TRUE(volumes);
    ASSERT_EQ(volumes->size(), 2u);
    EXPECT_EQ((*volumes)[0].path, "/");
    EXPECT_EQ((*volumes)[0].name, "Macintosh HD");
    EXPECT_EQ((*volumes)[1].path, "/System/Volumes/Data");
    const auto session = DiskArbitration::sessionCreate();
    ASSERT_TRUE(session);
    const auto disk = DiskArbitration::diskCreateFromVolumePath(*session, "/");
    ASSERT_TRUE(disk);
    EXPECT_EQ(DiskArbitration::diskCopyDescription(*disk),
              (DiskDescription {{"DAMediaName", std::string("APPLE SSD AP0512R Media")},
                                {"DADeviceModel", std::string("APPLE SSD AP0512R   ")},
                                {"DAMediaSize", std::int64_t(500277792768)},
                                {"DAMediaRemovable", false},
                                {"DAVolumeName", std::string("Macintosh HD")}}));
    EXPECT_EQ(DiskArbitration::diskCreateFromVolumePath(*session, "/Volumes/None"), std::nullopt);

    DiskArbitration::setSessionFailure(true);
    EXPECT_EQ(DiskArbitration::sessionCreate(), std::nullopt);
    DiskArbitration::setVolumeListFailure(true);
    EXPECT_EQ(DiskArbitration::mountedVolumes(), std::nullopt);
}

TEST(ProcessInfoStandIn, VersionOfTheMachine)
{
    const std::tuple<const char*, OperatingSystemVersion, const char*> cases[] = {
        {"macpro-intel-4fan", {10, 15, 3}, "Version 10.15.3 (Build 19D49f)"},
        {"mbp-intel-2fan", {10, 13, 6}, "Version 10.13.6 (Build 17G65)"},
        {"mbp-m1pro-2fan", {14, 5, 0}, "Version 14.5 (Build 23F79)"},
        {"unknown-platform", {26, 0, 0}, "Version 26.0 (Build 25A354)"},
    };
    for (const auto& [machine, version, text] : cases) {
        MachineScope scope(machine);
        const auto read = ProcessInfo::operatingSystemVersion();
        EXPECT_EQ(std::tuple(read.majorVersion, read.minorVersion, read.patchVersion),
                  std::tuple(version.majorVersion, version.minorVersion, version.patchVersion))
            << machine;
        EXPECT_EQ(ProcessInfo::operatingSystemVersionString(), text);
    }
}

TEST(ProcessInfoStandIn, AvailabilityTestComparesEachPartInTurn)
{
    MachineScope scope("mbp-m1pro-2fan"); // 14.5
    EXPECT_TRUE(ProcessInfo::isOperatingSystemAtLeast(14));
    EXPECT_TRUE(ProcessInfo::isOperatingSystemAtLeast(14, 5, 0));
    EXPECT_TRUE(ProcessInfo::isOperatingSystemAtLeast(13, 9, 9));
    EXPECT_FALSE(ProcessInfo::isOperatingSystemAtLeast(14, 5, 1));
    EXPECT_FALSE(ProcessInfo::isOperatingSystemAtLeast(15));
    EXPECT_FALSE(ProcessInfo::isOperatingSystemAtLeast(26));
}

TEST(SystemProfilerStandIn, HardwareReportOfBothKindsOfMac)
{
    const json apple = hardwareReport("mbp-m3max-2fan");
    EXPECT_EQ(apple["machine_name"], "MacBook Pro");
    EXPECT_EQ(apple["machine_model"], "Mac15,9");
    EXPECT_EQ(apple["chip_type"], "Apple M3 Max");
    EXPECT_EQ(apple["number_processors"], "proc 16:12:4");
    EXPECT_EQ(apple["physical_memory"], "48 GB");
    EXPECT_EQ(apple["serial_number"], "H4WK7N2QX1");
    EXPECT_FALSE(apple.contains("cpu_type"));

    const json intel = hardwareReport("mba-intel-t2-1fan");
    EXPECT_EQ(intel["cpu_type"], "Intel Core i5-8210Y");
    EXPECT_EQ(intel["current_processor_speed"], "1.6 GHz");
    EXPECT_EQ(intel["number_processors"], 2);
    EXPECT_EQ(intel["physical_memory"], "8 GB");
    EXPECT_FALSE(intel.contains("chip_type"));
    EXPECT_EQ(hardwareReport("macpro-intel-4fan")["cpu_type"], "Intel Xeon W-3223");
    EXPECT_EQ(hardwareReport("macpro-intel-4fan")["current_processor_speed"], "3.5 GHz");
}

TEST(SystemProfilerStandIn, PlainTextHardwareReport)
{
    const auto apple = SMCSim::MachineProfile::load("mini-m4-1fan");
    EXPECT_EQ(SystemProfiler::report(*apple, {"SPHardwareDataType"}, false),
              "Hardware:\n\n    Hardware Overview:\n\n"
              "      Model Name: Mac mini\n"
              "      Model Identifier: Mac16,10\n"
              "      Chip: Apple M4\n"
              "      Total Number of Cores: 10 (4 performance and 6 efficiency)\n"
              "      Memory: 16 GB\n"
              "      Serial Number (system): M5N8Q2W7ZR\n"
              "      Hardware UUID: D4E5F6A7-B8C9-4D0E-8F1A-2B3C4D5E6F7A\n\n");
    const auto intel = SMCSim::MachineProfile::load("mbp-intel-2fan");
    const std::string text = SystemProfiler::report(*intel, {"SPHardwareDataType"}, false);
    EXPECT_NE(text.find("\n      Processor Name: Intel Core i7-4770HQ\n      Processor Speed: 2.2 GHz\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Chip:"), std::string::npos);
    EXPECT_EQ(SystemProfiler::report(*intel, {"SPMemoryDataType"}, false), "");
}

TEST(SystemProfilerStandIn, MemoryAndDisplaysReports)
{
    const auto intel = SMCSim::MachineProfile::load("mba-intel-t2-1fan");
    const json report = json::parse(
        SystemProfiler::report(*intel, {"SPMemoryDataType", "SPDisplaysDataType", "SPNoSuchDataType"}, true));
    EXPECT_EQ(report["SPMemoryDataType"][0]["_name"], "Memory Slots");
    EXPECT_EQ(report["SPMemoryDataType"][0]["_items"][1],
              json::parse(R"({"_name": "BANK 1/ChannelB-DIMM0", "dimm_size": "4 GB", "dimm_speed": "2133 MHz",
                              "dimm_status": "ok", "dimm_type": "LPDDR3"})"));
    EXPECT_EQ(report["SPDisplaysDataType"][0]["spdisplays_vram_shared"], "1536 MB");
    EXPECT_EQ(report["SPNoSuchDataType"], json::array());

    auto slots = *intel;
    slots.facts.memoryModules.push_back({"BANK 3/ChannelB-DIMM1", "empty", "", ""});
    EXPECT_EQ(
        json::parse(SystemProfiler::report(slots, {"SPMemoryDataType"}, true))["SPMemoryDataType"][0]["_items"][2],
        json::parse(R"({"_name": "BANK 3/ChannelB-DIMM1", "dimm_size": "empty", "dimm_speed": "empty",
                              "dimm_status": "empty", "dimm_type": "empty"})"));

    const auto apple = SMCSim::MachineProfile::load("mini-m2-1fan");
    EXPECT_EQ(json::parse(SystemProfiler::report(*apple, {"SPMemoryDataType", "SPDisplaysDataType"}, true)),
              json::parse(R"({"SPMemoryDataType": [{"SPMemoryDataType": "8 GB"}],
                              "SPDisplaysDataType": [{"_name": "Apple M2", "spdisplays_vendor": "sppci_vendor_Apple",
                                  "sppci_bus": "spdisplays_builtin", "sppci_cores": "10",
                                  "sppci_device_type": "spdisplays_gpu", "sppci_model": "Apple M2"}]})"));
}

TEST(SystemProfilerStandIn, TheProgramPrintsTheActiveMachine)
{
    MachineScope scope("mbp-m4pro-2fan");
    Foundation::Process::Options options;
    options.environmentOverrides["AERLO_MACHINE"] = "mbp-m4pro-2fan";
    const auto result =
        Foundation::Process::run(SystemProfiler::standInPath(), {"SPHardwareDataType", "-json"}, options);
    ASSERT_TRUE(result.launched) << result.launchError;
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.stdout_, SystemProfiler::run({"SPHardwareDataType", "-json"}));
    EXPECT_NE(result.stdout_.find("\"Mac16,8\""), std::string::npos);

    options.environmentOverrides["AERLO_MACHINE"] = "no-such-machine";
    const auto missing = Foundation::Process::run(SystemProfiler::standInPath(), {"SPHardwareDataType"}, options);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.stdout_, "");
}

TEST(MachineFacts, SystemFactsAreCheckedWhenLoaded)
{
    const std::string base = R"({"name": "x", "smc": {"keys": []}, "facts": {"modelIdentifier": "X1,1", "cpuBrand": "C",
        "osVersion": "1", "osBuild": "A", "architecture": "arm64", )";
    const std::pair<const char*, const char*> cases[] = {
        {R"("serialNumber": 5)", "facts.serialNumber: expected a text"},
        {R"("memoryModules": {})", "facts.memoryModules: expected an array"},
        {R"("memoryModules": [{"slot": 1}])", "facts.memoryModules[0].slot: expected a text"},
        {R"("graphics": [{"model": "G", "cores": -1}])", "facts.graphics[0].cores: expected a count"},
        {R"("graphics": [3])", "facts.graphics[0]: expected an object"},
        {R"("disk": {"mediaSize": -1})", "facts.disk.mediaSize: expected a byte count"},
        {R"("disk": {"removable": "no"})", "facts.disk.removable: expected true or false"},
    };
    for (const auto& [facts, message] : cases) {
        const auto parsed = SMCSim::MachineProfile::parse(base + facts + "}}");
        EXPECT_FALSE(parsed) << facts;
        EXPECT_EQ(parsed.error(), message);
    }
    const auto bare = SMCSim::MachineProfile::parse(base + R"("physicalCores": 2}})");
    ASSERT_TRUE(bare) << bare.error();
    EXPECT_EQ(bare->facts.serialNumber, "");
    EXPECT_TRUE(bare->facts.graphics.empty());
    EXPECT_EQ(bare->facts.disk, std::nullopt);
}

TEST(ProcessInfoStandIn, UserNamesFromTheAccount)
{
    EXPECT_FALSE(ProcessInfo::userName().empty());
    EXPECT_FALSE(ProcessInfo::fullUserName().empty());
    const std::pair<const char*, const char*> cases[] = {
        {"Ada Lovelace,Room 1,,", "Ada Lovelace"}, {"Grace Hopper", "Grace Hopper"}, {",,,", "ada"}, {"", "ada"}};
    for (const auto& [gecos, full] : cases) {
        TestAccess::setUserNamesForTesting<ProcessInfo>(ProcessInfo::UserNames {"ada", gecos});
        EXPECT_EQ(ProcessInfo::userName(), "ada");
        EXPECT_EQ(ProcessInfo::fullUserName(), full) << gecos;
    }
    TestAccess::setUserNamesForTesting<ProcessInfo>(std::nullopt);
}
