#include "Classes/Configure/SystemKit/device_s.h"
#include "Platform/Foundation/ManualClock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Aerlo;
using json = nlohmann::ordered_json;

namespace {

std::vector<std::string> keysOf(const json& object)
{
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
    return keys;
}

device_s fullRecord()
{
    device_s device;
    device.model = {"MacBookPro18,3", "MacBook Pro 14\" (M1 Pro)", 2021, deviceType::macbookPro, "A2442"};
    device.serialNumber = "TESTSERIAL01";
    device.bootDate = std::chrono::system_clock::time_point(std::chrono::microseconds(1717000000250000));
    device.os = os_s {"Sonoma", {14, 5, 0}, "23F79"};
    cpu_s cpu;
    cpu.name = "Apple M1 Pro";
    cpu.physicalCores = 10;
    cpu.logicalCores = 10;
    cpu.eCores = 2;
    cpu.pCores = 8;
    cpu.cores = std::vector<core_s> {{0, "cpu0", coreType::efficiency}, {-1, "cpu2", coreType::performance}};
    device.info.cpu = cpu;
    device.info.ram = ram_s {{dimm_s {1, "B", "DDR4", "8 GB", "2667 MHz"},
                              dimm_s {std::nullopt, std::nullopt, std::nullopt, "16 GB", std::nullopt}}};
    device.info.gpu = std::vector<gpu_s> {{"Apple M1 Pro", "sppci_vendor_Apple", std::nullopt, 16}};
    device.info.disk = disk_s {"APPLE SSD AP0512R Media", "APPLE SSD AP0512R", 500277792768};
    device.platform = Platform::m1Pro;
    return device;
}

} // namespace

TEST(DeviceType, RawValuesAndMatchingList)
{
    const std::vector<std::string> raw {"unknown", "macMini",    "macPro",     "iMac",     "iMacPro",
                                        "macbook", "macbookAir", "macbookPro", "macStudio"};
    for (size_t i = 0; i < raw.size(); ++i) {
        EXPECT_EQ(rawValue(static_cast<deviceType>(i)), raw[i]);
        EXPECT_EQ(deviceTypeFromRawValue(raw[i]), static_cast<deviceType>(i));
    }
    EXPECT_FALSE(deviceTypeFromRawValue("MacMini"));
    EXPECT_FALSE(deviceTypeFromRawValue("macbookpro"));

    const auto matchable = matchableDeviceTypes();
    ASSERT_EQ(matchable.size(), 8u);
    EXPECT_EQ(matchable.front(), deviceType::macMini);
    EXPECT_EQ(matchable.back(), deviceType::macStudio);
}

TEST(DeviceType, CoreAndCPUTypes)
{
    EXPECT_EQ(coreTypeFromRawValue(-1), coreType::unknown);
    EXPECT_EQ(coreTypeFromRawValue(1), coreType::efficiency);
    EXPECT_EQ(coreTypeFromRawValue(2), coreType::performance);
    EXPECT_FALSE(coreTypeFromRawValue(0));
    EXPECT_FALSE(coreTypeFromRawValue(3));

    EXPECT_EQ(cpuTypeFromRawValue("intel"), CPUType::intel);
    EXPECT_EQ(cpuTypeFromRawValue("arm"), CPUType::arm);
    EXPECT_EQ(cpuTypeFromRawValue("unknown"), CPUType::unknown);
    EXPECT_FALSE(cpuTypeFromRawValue("arm64"));
    EXPECT_EQ(rawValue(CPUType::arm), "arm");
}

TEST(DeviceRecord, DefaultRecordIsUnknownOfTheCurrentYear)
{
    Foundation::ManualClock clock(1751328000.0); // 2025-07-01 00:00 UTC
    const device_s device = device_s::makeDefault(clock);
    EXPECT_EQ(device.model.id, "");
    EXPECT_EQ(device.model.name, "Unknown");
    EXPECT_EQ(device.model.year, 2025);
    EXPECT_EQ(device.model.type, deviceType::unknown);
    EXPECT_EQ(device.model.modelNumber, "");
    EXPECT_FALSE(device.serialNumber || device.bootDate || device.os || device.platform);
    EXPECT_FALSE(device.info.cpu || device.info.ram || device.info.gpu || device.info.disk);

    EXPECT_EQ(device.encode().dump(),
              R"({"model":{"id":"","name":"Unknown","year":2025,"type":"unknown","modelNumber":""},"info":{}})");
}

TEST(DeviceRecord, EncodesInDeclarationOrder)
{
    const json encoded = fullRecord().encode();
    using K = std::vector<std::string>;
    EXPECT_EQ(keysOf(encoded), (K {"model", "serialNumber", "bootDate", "os", "info", "platform"}));
    EXPECT_EQ(keysOf(encoded["model"]), (K {"id", "name", "year", "type", "modelNumber"}));
    EXPECT_EQ(keysOf(encoded["os"]), (K {"name", "version", "build"}));
    EXPECT_EQ(keysOf(encoded["os"]["version"]), (K {"majorVersion", "minorVersion", "patchVersion"}));
    EXPECT_EQ(keysOf(encoded["info"]), (K {"cpu", "ram", "gpu", "disk"}));
    EXPECT_EQ(keysOf(encoded["info"]["cpu"]),
              (K {"name", "physicalCores", "logicalCores", "eCores", "pCores", "cores"}));
    EXPECT_EQ(keysOf(encoded["info"]["cpu"]["cores"][0]), (K {"id", "name", "type"}));
    EXPECT_EQ(keysOf(encoded["info"]["ram"]["dimms"][0]), (K {"bank", "channel", "type", "size", "speed"}));
    EXPECT_EQ(keysOf(encoded["info"]["ram"]["dimms"][1]), (K {"size"}));
    EXPECT_EQ(keysOf(encoded["info"]["gpu"][0]), (K {"name", "vendor", "cores"}));
    EXPECT_EQ(keysOf(encoded["info"]["disk"]), (K {"name", "model", "size"}));

    EXPECT_EQ(encoded["platform"], "m1Pro");
    EXPECT_EQ(encoded["model"]["type"], "macbookPro");
    EXPECT_EQ(encoded["info"]["cpu"]["cores"][0]["type"], 1);
    EXPECT_DOUBLE_EQ(encoded["bootDate"].get<double>(), 1717000000.25);
}

TEST(DeviceRecord, RoundTripsThroughJSONText)
{
    const device_s device = fullRecord();
    const auto decoded = device_s::decode(json::parse(device.encode().dump()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, device);
}

TEST(DeviceRecord, AbsentAndEmptyGPUListsStayApart)
{
    device_s absent = device_s::makeDefault();
    device_s empty = absent;
    empty.info.gpu = std::vector<gpu_s> {};

    const auto decodedAbsent = device_s::decode(absent.encode());
    const auto decodedEmpty = device_s::decode(empty.encode());
    ASSERT_TRUE(decodedAbsent && decodedEmpty);
    EXPECT_FALSE(decodedAbsent->info.gpu.has_value());
    ASSERT_TRUE(decodedEmpty->info.gpu.has_value());
    EXPECT_TRUE(decodedEmpty->info.gpu->empty());
}

TEST(DeviceRecord, BadInputDecodesToNothing)
{
    const json good = fullRecord().encode();
    const std::vector<std::pair<std::string, json>> patches {
        {"/platform", "m5"},
        {"/platform", "M1"},
        {"/model/type", "MacMini"},
        {"/model/year", "2021"},
        {"/info/cpu/physicalCores", 200},
        {"/info/cpu/cores/0/type", 0},
        {"/info/cpu/cores/0/id", 4294967296LL},
        {"/info/gpu", json::object()},
        {"/info/ram/dimms/0/bank", 1.5},
        {"/os/version/majorVersion", nullptr},
        {"/serialNumber", 12},
    };
    for (const auto& [pointer, value] : patches) {
        json bad = good;
        bad[json::json_pointer(pointer)] = value;
        EXPECT_FALSE(device_s::decode(bad)) << pointer;
    }
    for (const char* required : {"model", "info"}) {
        json bad = good;
        bad.erase(required);
        EXPECT_FALSE(device_s::decode(bad)) << required;
    }
    EXPECT_FALSE(device_s::decode(json::array()));
    EXPECT_FALSE(device_s::decode(json("m1")));
}

TEST(DeviceRecord, NullOptionalMembersReadAsAbsent)
{
    json encoded = device_s::makeDefault().encode();
    encoded["serialNumber"] = nullptr;
    encoded["platform"] = nullptr;
    const auto decoded = device_s::decode(encoded);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->serialNumber);
    EXPECT_FALSE(decoded->platform);
}
