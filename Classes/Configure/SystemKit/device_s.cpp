#include "Classes/Configure/SystemKit/device_s.h"

#include "Classes/Configure/Global/JSONObjectReader.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/RawValueTable.h"

#include <cmath>
#include <ctime>
#include <limits>
#include <type_traits>

namespace Aerlo {

using json = nlohmann::ordered_json;

namespace {

constexpr RawValueTable<deviceType, 9> deviceTypeRawValues({
    "unknown",
    "macMini",
    "macPro",
    "iMac",
    "iMacPro",
    "macbook",
    "macbookAir",
    "macbookPro",
    "macStudio",
});

constexpr RawValueTable<CPUType, 3> cpuTypeRawValues({"intel", "arm", "unknown"});

template <class T>
void putIfPresent(json& object, const char* key, const std::optional<T>& value)
{
    if (!value)
        return;
    if constexpr (std::is_integral_v<T>)
        object[key] = static_cast<int64_t>(*value);
    else
        object[key] = *value;
}

// An integer member that must fit T.
template <class T>
std::optional<T> optionalIntegerOf(JSONObjectReader& reader, std::string_view key)
{
    const auto value = reader.optionalInteger(key);
    if (!value)
        return std::nullopt;
    if (*value < std::numeric_limits<T>::min() || *value > std::numeric_limits<T>::max()) {
        reader.fail();
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

// An array member whose elements all decode; a bad element fails the reader.
template <class T, class Decode>
std::optional<std::vector<T>> arrayOf(JSONObjectReader& reader, const json* value, Decode decode)
{
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_array()) {
        reader.fail();
        return std::nullopt;
    }
    std::vector<T> list;
    for (const json& element : *value) {
        auto decoded = decode(element);
        if (!decoded) {
            reader.fail();
            return std::nullopt;
        }
        list.push_back(std::move(*decoded));
    }
    return list;
}

template <class T, class Decode>
std::optional<T> objectOf(JSONObjectReader& reader, const json* value, Decode decode)
{
    if (value == nullptr)
        return std::nullopt;
    auto decoded = decode(*value);
    if (!decoded)
        reader.fail();
    return decoded;
}

json encodeModel(const model_s& model)
{
    json object = json::object();
    object["id"] = model.id;
    object["name"] = model.name;
    object["year"] = model.year;
    object["type"] = rawValue(model.type);
    object["modelNumber"] = model.modelNumber;
    return object;
}

std::optional<model_s> decodeModel(const json& value)
{
    JSONObjectReader reader(value);
    model_s model;
    model.id = reader.string("id");
    model.name = reader.string("name");
    model.year = reader.integer("year");
    const auto type = deviceTypeFromRawValue(reader.string("type"));
    model.modelNumber = reader.string("modelNumber");
    if (!reader.ok() || !type)
        return std::nullopt;
    model.type = *type;
    return model;
}

json encodeOS(const os_s& os)
{
    json version = json::object();
    version["majorVersion"] = os.version.majorVersion;
    version["minorVersion"] = os.version.minorVersion;
    version["patchVersion"] = os.version.patchVersion;
    json object = json::object();
    object["name"] = os.name;
    object["version"] = version;
    object["build"] = os.build;
    return object;
}

std::optional<os_s> decodeOS(const json& value)
{
    JSONObjectReader reader(value);
    os_s os;
    os.name = reader.string("name");
    JSONObjectReader version(reader.member("version"));
    os.version.majorVersion = version.integer("majorVersion");
    os.version.minorVersion = version.integer("minorVersion");
    os.version.patchVersion = version.integer("patchVersion");
    os.build = reader.string("build");
    if (!reader.ok() || !version.ok())
        return std::nullopt;
    return os;
}

json encodeCore(const core_s& core)
{
    json object = json::object();
    object["id"] = core.id;
    object["name"] = core.name;
    object["type"] = rawValue(core.type);
    return object;
}

std::optional<core_s> decodeCore(const json& value)
{
    JSONObjectReader reader(value);
    core_s core;
    const int64_t id = reader.integer("id");
    core.name = reader.string("name");
    const auto type = coreTypeFromRawValue(reader.integer("type"));
    if (!reader.ok() || !type || id < INT32_MIN || id > INT32_MAX)
        return std::nullopt;
    core.id = static_cast<int32_t>(id);
    core.type = *type;
    return core;
}

json encodeCPU(const cpu_s& cpu)
{
    json object = json::object();
    putIfPresent(object, "name", cpu.name);
    putIfPresent(object, "physicalCores", cpu.physicalCores);
    putIfPresent(object, "logicalCores", cpu.logicalCores);
    putIfPresent(object, "eCores", cpu.eCores);
    putIfPresent(object, "pCores", cpu.pCores);
    if (cpu.cores) {
        json cores = json::array();
        for (const core_s& core : *cpu.cores)
            cores.push_back(encodeCore(core));
        object["cores"] = cores;
    }
    return object;
}

std::optional<cpu_s> decodeCPU(const json& value)
{
    JSONObjectReader reader(value);
    cpu_s cpu;
    cpu.name = reader.optionalString("name");
    cpu.physicalCores = optionalIntegerOf<int8_t>(reader, "physicalCores");
    cpu.logicalCores = optionalIntegerOf<int8_t>(reader, "logicalCores");
    cpu.eCores = optionalIntegerOf<int32_t>(reader, "eCores");
    cpu.pCores = optionalIntegerOf<int32_t>(reader, "pCores");
    cpu.cores = arrayOf<core_s>(reader, reader.optionalMember("cores"), decodeCore);
    if (!reader.ok())
        return std::nullopt;
    return cpu;
}

json encodeDimm(const dimm_s& dimm)
{
    json object = json::object();
    putIfPresent(object, "bank", dimm.bank);
    putIfPresent(object, "channel", dimm.channel);
    putIfPresent(object, "type", dimm.type);
    putIfPresent(object, "size", dimm.size);
    putIfPresent(object, "speed", dimm.speed);
    return object;
}

std::optional<dimm_s> decodeDimm(const json& value)
{
    JSONObjectReader reader(value);
    dimm_s dimm;
    dimm.bank = reader.optionalInteger("bank");
    dimm.channel = reader.optionalString("channel");
    dimm.type = reader.optionalString("type");
    dimm.size = reader.optionalString("size");
    dimm.speed = reader.optionalString("speed");
    if (!reader.ok())
        return std::nullopt;
    return dimm;
}

std::optional<ram_s> decodeRAM(const json& value)
{
    JSONObjectReader reader(value);
    auto dimms = arrayOf<dimm_s>(reader, &reader.member("dimms"), decodeDimm);
    if (!reader.ok() || !dimms)
        return std::nullopt;
    return ram_s {std::move(*dimms)};
}

json encodeGPU(const gpu_s& gpu)
{
    json object = json::object();
    putIfPresent(object, "name", gpu.name);
    putIfPresent(object, "vendor", gpu.vendor);
    putIfPresent(object, "vram", gpu.vram);
    putIfPresent(object, "cores", gpu.cores);
    return object;
}

std::optional<gpu_s> decodeGPU(const json& value)
{
    JSONObjectReader reader(value);
    gpu_s gpu;
    gpu.name = reader.optionalString("name");
    gpu.vendor = reader.optionalString("vendor");
    gpu.vram = reader.optionalString("vram");
    gpu.cores = reader.optionalInteger("cores");
    if (!reader.ok())
        return std::nullopt;
    return gpu;
}

json encodeDisk(const disk_s& disk)
{
    json object = json::object();
    object["name"] = disk.name;
    object["model"] = disk.model;
    object["size"] = disk.size;
    return object;
}

std::optional<disk_s> decodeDisk(const json& value)
{
    JSONObjectReader reader(value);
    disk_s disk;
    disk.name = reader.string("name");
    disk.model = reader.string("model");
    disk.size = reader.integer("size");
    if (!reader.ok())
        return std::nullopt;
    return disk;
}

json encodeInfo(const info_s& info)
{
    json object = json::object();
    if (info.cpu)
        object["cpu"] = encodeCPU(*info.cpu);
    if (info.ram) {
        json dimms = json::array();
        for (const dimm_s& dimm : info.ram->dimms)
            dimms.push_back(encodeDimm(dimm));
        json ram = json::object();
        ram["dimms"] = dimms;
        object["ram"] = ram;
    }
    if (info.gpu) {
        json gpus = json::array();
        for (const gpu_s& gpu : *info.gpu)
            gpus.push_back(encodeGPU(gpu));
        object["gpu"] = gpus;
    }
    if (info.disk)
        object["disk"] = encodeDisk(*info.disk);
    return object;
}

std::optional<info_s> decodeInfo(const json& value)
{
    JSONObjectReader reader(value);
    info_s info;
    info.cpu = objectOf<cpu_s>(reader, reader.optionalMember("cpu"), decodeCPU);
    info.ram = objectOf<ram_s>(reader, reader.optionalMember("ram"), decodeRAM);
    info.gpu = arrayOf<gpu_s>(reader, reader.optionalMember("gpu"), decodeGPU);
    info.disk = objectOf<disk_s>(reader, reader.optionalMember("disk"), decodeDisk);
    if (!reader.ok())
        return std::nullopt;
    return info;
}

} // namespace

std::string_view rawValue(deviceType type) { return deviceTypeRawValues.text(type); }

std::optional<deviceType> deviceTypeFromRawValue(std::string_view raw) { return deviceTypeRawValues.value(raw); }

std::vector<deviceType> matchableDeviceTypes()
{
    std::vector<deviceType> list;
    for (size_t i = 1; i < deviceTypeRawValues.size(); ++i)
        list.push_back(static_cast<deviceType>(i));
    return list;
}

int rawValue(coreType type) { return static_cast<int>(type); }

std::optional<coreType> coreTypeFromRawValue(int64_t raw)
{
    switch (raw) {
    case -1:
        return coreType::unknown;
    case 1:
        return coreType::efficiency;
    case 2:
        return coreType::performance;
    default:
        return std::nullopt;
    }
}

std::string_view rawValue(CPUType type) { return cpuTypeRawValues.text(type); }

std::optional<CPUType> cpuTypeFromRawValue(std::string_view raw) { return cpuTypeRawValues.value(raw); }

device_s device_s::makeDefault(const Foundation::Clock& clock)
{
    const auto seconds = static_cast<std::time_t>(std::floor(clock.wallTime()));
    std::tm local {};
    localtime_r(&seconds, &local);

    device_s device;
    device.model.id = "";
    device.model.name = LocalizationTable::text("Unknown");
    device.model.year = static_cast<int64_t>(local.tm_year) + 1900;
    device.model.type = deviceType::unknown;
    device.model.modelNumber = "";
    return device;
}

json device_s::encode() const
{
    json object = json::object();
    object["model"] = encodeModel(model);
    putIfPresent(object, "serialNumber", serialNumber);
    if (bootDate) {
        const auto sinceEpoch = std::chrono::duration<double>(bootDate->time_since_epoch());
        object["bootDate"] = sinceEpoch.count();
    }
    if (os)
        object["os"] = encodeOS(*os);
    object["info"] = encodeInfo(info);
    if (platform)
        object["platform"] = rawValue(*platform);
    return object;
}

std::optional<device_s> device_s::decode(const json& value)
{
    JSONObjectReader reader(value);
    device_s device;
    const auto model = decodeModel(reader.member("model"));
    device.serialNumber = reader.optionalString("serialNumber");
    if (const auto seconds = reader.optionalNumber("bootDate")) {
        // Whole microseconds, the precision the boot time is read with.
        const double micro = std::round(*seconds * 1e6);
        if (std::fabs(micro) < 9.2e18)
            device.bootDate =
                std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
                    std::chrono::microseconds(static_cast<int64_t>(micro))));
        else
            reader.fail();
    }
    device.os = objectOf<os_s>(reader, reader.optionalMember("os"), decodeOS);
    const auto info = decodeInfo(reader.member("info"));
    if (const auto platform = reader.optionalString("platform")) {
        device.platform = platformFromRawValue(*platform);
        if (!device.platform)
            reader.fail();
    }
    if (!reader.ok() || !model || !info)
        return std::nullopt;
    device.model = *model;
    device.info = *info;
    return device;
}

} // namespace Aerlo
