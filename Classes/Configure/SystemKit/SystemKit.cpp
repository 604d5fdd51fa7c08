#include "Classes/Configure/SystemKit/SystemKit.h"

#include "Classes/Configure/Global/CommandRunner.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Saturating.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/SMC/MachError.h"
#include "Platform/System/DiskArbitration.h"
#include "Platform/System/IORegistry.h"
#include "Platform/System/Kernel.h"
#include "Platform/System/ProcessInfo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>

namespace Aerlo {

namespace {

using json = nlohmann::json;
using IOKit::kern_return_t;
using SystemPlatform::IORegistry;
using SystemPlatform::Kernel;

constexpr const char* systemProfiler = "/usr/sbin/system_profiler";
// What the platform's JSON parser says of text it cannot read.
constexpr const char* unreadableJSON = "The data couldn’t be read because it isn’t in the correct format.";

Foundation::SharedInstance<SystemKit>& sharedInstance()
{
    static Foundation::SharedInstance<SystemKit> instance;
    return instance;
}

void eraseAll(std::string& text, std::string_view part)
{
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

bool isASCII(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The Mach error text of a result, or `fallback` when it is not ASCII.
std::string errorText(kern_return_t result, std::string_view fallback = "unknown error")
{
    std::string text = IOKit::machErrorString(result);
    return isASCII(text) ? text : std::string(fallback);
}

template <class Integer>
Integer saturated(std::int64_t value)
{
    return static_cast<Integer>(
        std::clamp<std::int64_t>(value, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

// The first four bytes of data in the machine's byte order, missing bytes counting as zero;
// nothing for a value that is not data.
std::optional<std::int32_t> firstWord(const SystemPlatform::RegistryProperties& properties, std::string_view key)
{
    const auto found = properties.find(key);
    if (found == properties.end())
        return std::nullopt;
    const auto* data = std::get_if<SystemPlatform::RegistryData>(&found->second);
    if (data == nullptr)
        return std::nullopt;
    std::int32_t word = 0;
    std::memcpy(&word, data->bytes.data(), std::min<std::size_t>(sizeof word, data->bytes.size()));
    return word;
}

// The system profiler's JSON for one data type: nothing when the tool gave no text or the text is
// no JSON array or dictionary (logged).
std::optional<json> profilerReport(const std::string& dataType, const char* parseError)
{
    const auto text = runCommand(systemProfiler, {dataType, "-json"});
    if (!text)
        return std::nullopt;
    json root = json::parse(*text, nullptr, false);
    if (root.is_discarded() || !root.is_structured()) {
        NextLog::error(std::string(parseError) + unreadableJSON);
        return std::nullopt;
    }
    return root;
}

// A member that is a list of dictionaries.
const json* dictionaryList(const json& object, const char* key)
{
    if (!object.is_object())
        return nullptr;
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array())
        return nullptr;
    for (const json& item : *found)
        if (!item.is_object())
            return nullptr;
    return &*found;
}

std::optional<std::string> textMember(const json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

std::vector<std::string> pieces(std::string_view text, char separator)
{
    std::vector<std::string> list;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(separator, start), text.size());
        if (end > start)
            list.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

std::size_t pathComponentCount(std::string_view path)
{
    return (path.starts_with('/') ? 1 : 0) + pieces(path, '/').size();
}

dimm_s memorySlot(const json& item)
{
    dimm_s dimm;
    dimm.type = textMember(item, "dimm_type");
    dimm.speed = textMember(item, "dimm_speed");
    dimm.size = textMember(item, "dimm_size");
    if (const auto name = textMember(item, "_name")) {
        const auto parts = pieces(*name, '/');
        if (!parts.empty()) {
            std::string digits;
            std::copy_if(parts[0].begin(), parts[0].end(), std::back_inserter(digits),
                         [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
            dimm.bank = Foundation::decimalNumber<std::int64_t>(digits);
        }
        if (parts.size() > 1 && parts[1].find("Channel") != std::string::npos) {
            std::string channel = parts[1].substr(0, parts[1].find('-'));
            eraseAll(channel, "Channel");
            dimm.channel = channel;
        }
    }
    return dimm;
}

} // namespace

SystemKit& SystemKit::shared() { return sharedInstance().get(); }

void SystemKit::resetForTesting() { sharedInstance().resetForTesting(); }

SystemKit::SystemKit() : device(device_s::makeDefault()), log(NextLog::shared().copy("SystemKit"))
{
    std::optional<std::string> identifier;
    if (const auto expert = platformExpertInfo()) {
        if (expert->serialNumber)
            device.serialNumber = expert->serialNumber;
        identifier = expert->model;
    }
    if (!identifier)
        identifier = modelID();

    const auto& table = models();
    if (const auto row = identifier ? table.find(*identifier) : table.end(); row != table.end()) {
        device.model = row->second;
        device.model.id = *identifier;
    } else if (auto model = modelFromSystemProfiler()) {
        device.model = std::move(*model);
    }

    device.bootDate = bootDate();

    const SystemPlatform::OperatingSystemVersion version = SystemPlatform::ProcessInfo::operatingSystemVersion();
    device.os = operatingSystem({version.majorVersion, version.minorVersion, version.patchVersion},
                                SystemPlatform::ProcessInfo::operatingSystemVersionString());

    device.info.cpu = getCPU();
    device.info.ram = getRAM();
    device.info.gpu = getGPUs();
    device.info.disk = getDisk();

    if (device.info.cpu && device.info.cpu->name)
        device.platform = platformFromCPUName(*device.info.cpu->name);
}

const std::map<std::string, model_s, std::less<>>& SystemKit::models()
{
    static const std::map<std::string, model_s, std::less<>> table(modelRows().begin(), modelRows().end());
    return table;
}

const std::map<std::string, std::string, std::less<>>& SystemKit::osNames()
{
    static const std::map<std::string, std::string, std::less<>> names {
        {"10.13", "High Sierra"}, {"10.14", "Mojave"}, {"10.15", "Catalina"}, {"11", "Big Sur"},
        {"12", "Monterey"},       {"13", "Ventura"},   {"14", "Sonoma"},      {"15", "Sequoia"},
    };
    return names;
}

std::optional<SystemKit::PlatformExpertInfo> SystemKit::platformExpertInfo()
{
    const auto service = IORegistry::getMatchingService("IOPlatformExpertDevice");
    if (!service)
        return std::nullopt;
    PlatformExpertInfo info;
    const auto properties = IORegistry::entryCreateCFProperties(*service);
    if (!properties)
        return info;
    if (const auto model = properties->find("model"); model != properties->end())
        if (const auto* data = std::get_if<SystemPlatform::RegistryData>(&model->second))
            info.model = trimmingControlCharacters(decodingUTF8(data->bytes));
    if (const auto serial = properties->find("IOPlatformSerialNumber"); serial != properties->end())
        if (const auto* text = std::get_if<std::string>(&serial->second))
            info.serialNumber = trimmingWhitespaceAndNewlines(*text);
    return info;
}

std::optional<std::string> SystemKit::modelID()
{
    int name[2] = {SystemPlatform::CTL_HW, SystemPlatform::HW_MODEL};
    char buffer[128] = {};
    std::size_t length = sizeof buffer;
    const int result = Kernel::sysctl(name, 2, buffer, &length);
    if (result != 0) {
        NextLog::error("error call sysctl(): " + errorText(static_cast<kern_return_t>(result)));
        return std::nullopt;
    }
    return cCharTuple(buffer, std::min(length, sizeof buffer));
}

std::optional<model_s> SystemKit::modelFromSystemProfiler()
{
    const auto root = profilerReport("SPHardwareDataType", "error to parse system_profiler SPHardwareDataType: ");
    if (!root)
        return std::nullopt;
    const json* list = dictionaryList(*root, "SPHardwareDataType");
    if (list == nullptr || list->empty())
        return std::nullopt;
    const json& first = list->front();
    const auto machineName = textMember(first, "machine_name");
    const auto machineModel = textMember(first, "machine_model");
    const auto chipType = textMember(first, "chip_type");
    if (!machineName || !machineModel || !chipType)
        return std::nullopt;

    std::string squeezed = Foundation::lowercased(*machineName);
    squeezed = splitOnWhitespace(squeezed);
    eraseAll(squeezed, " ");
    model_s model;
    model.type = deviceType::unknown;
    for (const deviceType type : matchableDeviceTypes()) {
        if (Foundation::lowercased(rawValue(type)) == squeezed) {
            model.type = type;
            break;
        }
    }
    model.id = *machineModel;
    model.name = *machineName + " (" + replacingMatches(*chipType, "Apple ", "") + ")";
    // The current calendar year, as the default record has it.
    model.year = device_s::makeDefault().model.year;
    model.modelNumber = "";
    return model;
}

std::optional<std::chrono::system_clock::time_point> SystemKit::bootDate()
{
    int name[2] = {SystemPlatform::CTL_KERN, SystemPlatform::KERN_BOOTTIME};
    SystemPlatform::timeval boot;
    std::size_t length = sizeof boot;
    const int result = Kernel::sysctl(name, 2, &boot, &length);
    if (result != 0) {
        NextLog::error("获取启动时间失败: " + errorText(static_cast<kern_return_t>(result), "未知错误"));
        return std::nullopt;
    }
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 1000000 - 1;
    const std::int64_t micro = std::clamp<std::int64_t>(boot.tv_sec, -limit, limit) * 1000000 + boot.tv_usec;
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::microseconds(micro)));
}

os_s SystemKit::operatingSystem(const OperatingSystemVersion& version, std::string_view versionString)
{
    os_s os;
    os.version = version;
    if (const auto parts = pieces(versionString, '('); parts.size() >= 2) {
        os.build = parts[1];
        eraseAll(os.build, "Build ");
        eraseAll(os.build, ")");
    } else {
        os.build = LocalizationTable::text("Unknown");
    }
    const std::string key = version.majorVersion < 11
                                ? std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion)
                                : std::to_string(version.majorVersion);
    const auto& names = osNames();
    const auto name = names.find(key);
    os.name = name != names.end() ? name->second : LocalizationTable::text("Unknown");
    return os;
}

std::optional<cpu_s> SystemKit::getCPU()
{
    cpu_s cpu;
    std::size_t size = 0;
    Kernel::sysctlbyname("machdep.cpu.brand_string", nullptr, &size);
    std::string buffer(size, '\0');
    if (size > 0)
        Kernel::sysctlbyname("machdep.cpu.brand_string", buffer.data(), &size);
    std::string brand = cCharTuple(buffer.data(), std::min(size, buffer.size()));
    if (!brand.empty()) {
        for (const std::string_view mark : {"(TM)", "(R)", "CPU", "@"})
            eraseAll(brand, mark);
        cpu.name = splitOnWhitespace(brand);
    }

    SystemPlatform::host_basic_info info;
    std::uint32_t count = SystemPlatform::HOST_BASIC_INFO_COUNT;
    const kern_return_t result =
        Kernel::host_info(SystemPlatform::HOST_BASIC_INFO, reinterpret_cast<std::int32_t*>(&info), &count);
    if (result != IOKit::kIOReturnSuccess) {
        NextLog::error("read cores number: " + errorText(result));
        return std::nullopt;
    }
    cpu.physicalCores = saturated<std::int8_t>(info.physical_cpu);
    cpu.logicalCores = saturated<std::int8_t>(info.logical_cpu);

    if (auto cores = appleSiliconCores()) {
        cpu.eCores = cores->eCores;
        cpu.pCores = cores->pCores;
        cpu.cores = std::move(cores->cores);
    }
    return cpu;
}

std::optional<SystemKit::AppleSiliconCores> SystemKit::appleSiliconCores()
{
    std::vector<SystemPlatform::RegistryEntry> services;
    const kern_return_t found = IORegistry::getMatchingServices("AppleARMPE", services);
    if (found != IOKit::kIOReturnSuccess) {
        Foundation::Console::print("Error find AppleARMPE: " + errorText(found));
        return std::nullopt;
    }
    AppleSiliconCores result;
    for (const SystemPlatform::RegistryEntry& service : services) {
        for (const SystemPlatform::RegistryEntry& child : service.children) {
            char nameBuffer[128];
            const kern_return_t named = IORegistry::entryGetName(child, nameBuffer);
            if (named != IOKit::kIOReturnSuccess) {
                Foundation::Console::print("Error IORegistryEntryGetName(): " + errorText(named));
                continue;
            }
            const auto properties = IORegistry::entryCreateCFProperties(child);
            if (!properties)
                continue;
            const std::string name = cCharTuple(nameBuffer, sizeof nameBuffer);
            if (matches(name, "^cpu\\d")) {
                core_s core;
                core.name = name;
                core.id = firstWord(*properties, "cpu-id").value_or(-1);
                core.type = coreType::unknown;
                if (const auto cluster = properties->find("cluster-type"); cluster != properties->end()) {
                    if (const auto* data = std::get_if<SystemPlatform::RegistryData>(&cluster->second)) {
                        const std::string type = truncatedAtNul(decodingUTF8(data->bytes));
                        if (type == "E")
                            core.type = coreType::efficiency;
                        else if (type == "P")
                            core.type = coreType::performance;
                    }
                }
                result.cores.push_back(std::move(core));
            } else if (truncatedAtNul(name) == "cpus") {
                result.eCores = firstWord(*properties, "e-core-count");
                result.pCores = firstWord(*properties, "p-core-count");
            }
        }
    }
    return result;
}

std::optional<ram_s> SystemKit::getRAM()
{
    const auto root = profilerReport("SPMemoryDataType", "error to parse system_profiler SPMemoryDataType: ");
    if (!root)
        return std::nullopt;
    ram_s ram;
    const json* list = dictionaryList(*root, "SPMemoryDataType");
    if (list == nullptr || list->empty())
        return ram;
    const json& first = list->front();
    if (const json* items = dictionaryList(first, "_items")) {
        for (const json& item : *items) {
            if (textMember(item, "dimm_size") == "empty")
                continue;
            ram.dimms.push_back(memorySlot(item));
        }
    } else if (auto total = textMember(first, "SPMemoryDataType")) {
        dimm_s dimm;
        dimm.size = std::move(total);
        ram.dimms.push_back(std::move(dimm));
    }
    return ram;
}

std::optional<std::vector<gpu_s>> SystemKit::getGPUs()
{
    const auto root = profilerReport("SPDisplaysDataType", "error to parse system_profiler SPDisplaysDataType: ");
    if (!root)
        return std::nullopt;
    std::vector<gpu_s> list;
    const json* displays = dictionaryList(*root, "SPDisplaysDataType");
    if (displays == nullptr)
        return list;
    for (const json& item : *displays) {
        gpu_s gpu;
        gpu.name = textMember(item, "sppci_model");
        gpu.vendor = textMember(item, "spdisplays_vendor");
        gpu.vram = textMember(item, "spdisplays_vram_shared");
        if (!gpu.vram)
            gpu.vram = textMember(item, "spdisplays_vram");
        if (const auto cores = textMember(item, "sppci_cores"))
            gpu.cores = Foundation::decimalNumber<std::int64_t>(*cores);
        list.push_back(std::move(gpu));
    }
    return list;
}

std::optional<disk_s> SystemKit::getDisk()
{
    using SystemPlatform::DiskArbitration;
    const auto volumes = DiskArbitration::mountedVolumes();
    const auto session = DiskArbitration::sessionCreate();
    if (!volumes || !session) {
        NextLog::error("empty disk after fetching list");
        return std::nullopt;
    }
    std::optional<SystemPlatform::DADisk> disk;
    for (const SystemPlatform::MountedVolume& volume : *volumes)
        if (pathComponentCount(volume.path) == 1)
            disk = DiskArbitration::diskCreateFromVolumePath(*session, volume.path);
    if (!disk) {
        NextLog::error("empty disk after fetching list");
        return std::nullopt;
    }
    const auto description = DiskArbitration::diskCopyDescription(*disk);
    if (!description)
        return std::nullopt;
    const auto entry = [&](std::string_view key) -> const SystemPlatform::DiskValue* {
        const auto found = description->find(key);
        return found == description->end() ? nullptr : &found->second;
    };
    if (const auto* removable = entry("DAMediaRemovable");
        removable && std::get_if<bool>(removable) && std::get<bool>(*removable))
        return std::nullopt;

    disk_s result;
    if (const auto* name = entry("DAMediaName"); name && std::holds_alternative<std::string>(*name))
        result.name = std::get<std::string>(*name);
    if (const auto* model = entry("DADeviceModel"); model && std::holds_alternative<std::string>(*model))
        result.model = trimmingWhitespaceAndNewlines(std::get<std::string>(*model));
    if (const auto* size = entry("DAMediaSize")) {
        if (const auto* whole = std::get_if<std::int64_t>(size))
            result.size = *whole;
        else if (const auto* real = std::get_if<double>(size))
            result.size = Foundation::saturatedInt64(*real);
    }
    return result;
}

std::optional<Platform> SystemKit::platformFromCPUName(std::string_view name)
{
    const std::string lower = Foundation::lowercased(name);
    const auto contains = [&](std::string_view part) { return lower.find(part) != std::string::npos; };
    if (contains("intel"))
        return Platform::intel;
    static constexpr std::pair<std::string_view, Platform> generations[] = {
        {"m1", Platform::m1}, {"m2", Platform::m2}, {"m3", Platform::m3}, {"m4", Platform::m4}};
    for (const auto& [generation, base] : generations) {
        if (!contains(generation))
            continue;
        const auto first = static_cast<uint8_t>(base);
        if (contains("pro"))
            return Platform(first + 1);
        if (contains("max"))
            return Platform(first + 2);
        if (contains("ultra"))
            return Platform(first + 3);
        return base;
    }
    return std::nullopt;
}

} // namespace Aerlo
