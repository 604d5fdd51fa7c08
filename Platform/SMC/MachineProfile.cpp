#include "Platform/SMC/MachineProfile.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/SMC/FanKey.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#ifndef AERLO_MACHINES_FALLBACK_DIR
#define AERLO_MACHINES_FALLBACK_DIR "Resources/Machines"
#endif

namespace SMCSim {

namespace {

using json = nlohmann::json;

// Fails a parse step with a message naming where.
struct Failure {
    std::string message;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) { throw Failure {where + ": " + what}; }

// JSON text is UTF-8; keys, types and SMC texts are bytes, one per character U+0000..U+00FF.
std::string latin1(const json& value, const std::string& where)
{
    if (!value.is_string())
        fail(where, "expected a text");
    const auto& text = value.get_ref<const std::string&>();
    std::string bytes;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            i += 1;
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            bytes.push_back(static_cast<char>(((lead & 0x1F) << 6) | (trail & 0x3F)));
            i += 2;
        } else {
            fail(where, "characters beyond U+00FF cannot be SMC bytes");
        }
    }
    return bytes;
}

std::string fourBytes(const json& value, const std::string& where)
{
    std::string bytes = latin1(value, where);
    if (bytes.size() != 4)
        fail(where, "expected exactly four characters");
    return bytes;
}

double number(const json& value, const std::string& where)
{
    if (!value.is_number())
        fail(where, "expected a number");
    const double n = value.get<double>();
    if (!std::isfinite(n))
        fail(where, "expected a finite number");
    return n;
}

double nonNegative(const json& value, const std::string& where)
{
    const double n = number(value, where);
    if (n < 0)
        fail(where, "expected a number not below 0");
    return n;
}

IOKit::kern_return_t resultCode(const json& value, const std::string& where)
{
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 0xFFFFFFFFu)
        return static_cast<IOKit::kern_return_t>(value.get<std::uint64_t>());
    if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        if (text.size() > 2 && text.size() <= 10 && (text.starts_with("0x") || text.starts_with("0X"))) {
            char* end = nullptr;
            const unsigned long code = std::strtoul(text.c_str() + 2, &end, 16);
            if (end && *end == '\0')
                return static_cast<IOKit::kern_return_t>(code);
        }
    }
    fail(where, "expected a result code (a number or \"0x…\")");
}

bool flag(const json& value, const std::string& where)
{
    if (!value.is_boolean())
        fail(where, "expected true or false");
    return value.get<bool>();
}

const json* member(const json& object, const char* name)
{
    auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

// Bytes as a hex text ("1F40") or an array of numbers 0..255.
std::vector<std::uint8_t> byteList(const json& value, const std::string& where)
{
    std::vector<std::uint8_t> bytes;
    if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        std::string digits;
        std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c != ' '; });
        if (digits.size() % 2 != 0)
            fail(where, "expected an even number of hex digits");
        auto parsed = ValueCodec::fromHex(digits);
        if (!parsed)
            fail(where, "expected hex digits");
        bytes = std::move(*parsed);
    } else if (value.is_array()) {
        for (const auto& item : value) {
            if (!item.is_number_unsigned() || item.get<std::uint64_t>() > 255)
                fail(where, "expected numbers 0 to 255");
            bytes.push_back(static_cast<std::uint8_t>(item.get<std::uint64_t>()));
        }
    } else {
        fail(where, "expected a hex text or an array of bytes");
    }
    if (bytes.size() > 32)
        fail(where, "at most 32 bytes");
    return bytes;
}

// A byte as a number 0..255 or as hex text ("C0", "0x85").
std::uint8_t byteValue(const json& value, const std::string& where)
{
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 255)
        return static_cast<std::uint8_t>(value.get<std::uint64_t>());
    if (value.is_string()) {
        std::string_view text = value.get_ref<const std::string&>();
        if (text.starts_with("0x") || text.starts_with("0X"))
            text.remove_prefix(2);
        if (const auto byte = ValueCodec::fromHex(text); byte && byte->size() == 1)
            return byte->front();
    }
    fail(where, "expected a byte (0 to 255, or two hex digits)");
}

void requireObject(const json& value, const std::string& where)
{
    if (!value.is_object())
        fail(where, "expected an object");
}

// A key entry, new or over an existing one (an overlay may give only what changes).
KeyEntry keyEntry(const json& item, const KeyTable& table, const std::string& where)
{
    requireObject(item, where);
    const json* keyField = member(item, "key");
    if (!keyField)
        fail(where, "missing \"key\"");
    KeyEntry entry;
    entry.key = fourBytes(*keyField, where + ".key");
    const KeyEntry* existing = table.find(entry.key);
    if (existing)
        entry = *existing;
    if (const json* type = member(item, "type")) {
        entry.type = fourBytes(*type, where + ".type");
        if (!existing || existing->type != entry.type)
            entry.size = ValueCodec::defaultSize(entry.type).value_or(0);
    } else if (!existing) {
        fail(where, "missing \"type\"");
    }
    if (const json* attributes = member(item, "attributes")) {
        entry.firmwareAttributes = byteValue(*attributes, where + ".attributes");
        entry.writable = (*entry.firmwareAttributes & KeyEntry::writableFlag) != 0;
    }
    if (const json* writable = member(item, "writable"))
        entry.writable = flag(*writable, where + ".writable");
    if (const json* result = member(item, "readResult"))
        entry.readResult = byteValue(*result, where + ".readResult");
    if (const json* failure = member(item, "readFailure"))
        entry.readFailure = resultCode(*failure, where + ".readFailure");
    if (const json* dynamic = member(item, "dynamic"))
        entry.dynamic = flag(*dynamic, where + ".dynamic");

    const int sources =
        (member(item, "bytes") ? 1 : 0) + (member(item, "value") ? 1 : 0) + (member(item, "text") ? 1 : 0);
    if (sources > 1)
        fail(where, "give one of \"bytes\", \"value\" and \"text\"");
    if (const json* bytes = member(item, "bytes")) {
        const auto list = byteList(*bytes, where + ".bytes");
        entry.bytes.fill(0);
        std::copy(list.begin(), list.end(), entry.bytes.begin());
        if (!ValueCodec::defaultSize(entry.type) && !member(item, "size"))
            entry.size = static_cast<std::uint32_t>(list.size());
    } else if (const json* value = member(item, "value")) {
        const auto bytes = ValueCodec::encode(entry.type, number(*value, where + ".value"));
        if (!bytes)
            fail(where + ".value", "type \"" + entry.type + "\" holds no number");
        entry.bytes = *bytes;
    } else if (const json* text = member(item, "text")) {
        const auto bytes = ValueCodec::encodeText(entry.type, latin1(*text, where + ".text"));
        if (!bytes)
            fail(where + ".text", "does not fit type \"" + entry.type + "\"");
        entry.bytes = *bytes;
        if (!ValueCodec::defaultSize(entry.type) && !member(item, "size"))
            entry.size = static_cast<std::uint32_t>(latin1(*text, where + ".text").size());
    }
    if (const json* size = member(item, "size")) {
        if (!size->is_number_unsigned() || size->get<std::uint64_t>() > 255)
            fail(where + ".size", "expected a size 0 to 255");
        entry.size = static_cast<std::uint32_t>(size->get<std::uint64_t>());
    }
    if (const json* script = member(item, "script")) {
        if (!script->is_array())
            fail(where + ".script", "expected [[second, value], …]");
        entry.script.clear();
        for (const auto& step : *script) {
            if (!step.is_array() || step.size() != 2)
                fail(where + ".script", "expected [[second, value], …]");
            entry.script.emplace_back(nonNegative(step[0], where + ".script"), number(step[1], where + ".script"));
        }
        if (!std::is_sorted(entry.script.begin(), entry.script.end()))
            fail(where + ".script", "steps must be in time order");
        if (!ValueCodec::encode(entry.type, 0))
            fail(where + ".script", "type \"" + entry.type + "\" holds no number");
    }
    return entry;
}

// The text members `names` of `item` into `fields`; missing ones stay empty.
void texts(const json& item, const std::string& where,
           std::initializer_list<std::pair<const char*, std::string*>> fields)
{
    for (const auto& [name, field] : fields) {
        if (const json* value = member(item, name)) {
            if (!value->is_string())
                fail(where + "." + name, "expected a text");
            *field = value->get<std::string>();
        }
    }
}

template <class Item>
std::vector<Item> listOf(const json& value, const std::string& where, Item (*read)(const json&, const std::string&))
{
    if (!value.is_array())
        fail(where, "expected an array");
    std::vector<Item> items;
    for (std::size_t i = 0; i < value.size(); ++i)
        items.push_back(read(value[i], where + "[" + std::to_string(i) + "]"));
    return items;
}

MemoryModuleFacts memoryModule(const json& item, const std::string& where)
{
    requireObject(item, where);
    MemoryModuleFacts module;
    texts(item, where,
          {{"slot", &module.slot}, {"size", &module.size}, {"type", &module.type}, {"speed", &module.speed}});
    return module;
}

GraphicsFacts graphicsFacts(const json& item, const std::string& where)
{
    requireObject(item, where);
    GraphicsFacts graphics;
    texts(item, where,
          {{"model", &graphics.model},
           {"vendor", &graphics.vendor},
           {"vram", &graphics.vram},
           {"vramShared", &graphics.vramShared}});
    if (const json* cores = member(item, "cores")) {
        if (!cores->is_number_unsigned() || cores->get<std::uint64_t>() > 4096)
            fail(where + ".cores", "expected a count");
        graphics.cores = static_cast<int>(cores->get<std::uint64_t>());
    }
    return graphics;
}

DiskFacts diskFacts(const json& item)
{
    requireObject(item, "facts.disk");
    DiskFacts disk;
    texts(item, "facts.disk",
          {{"volumeName", &disk.volumeName}, {"mediaName", &disk.mediaName}, {"deviceModel", &disk.deviceModel}});
    if (const json* size = member(item, "mediaSize")) {
        if (!size->is_number_unsigned() || size->get<std::uint64_t>() > std::uint64_t(INT64_MAX))
            fail("facts.disk.mediaSize", "expected a byte count");
        disk.mediaSize = static_cast<std::int64_t>(size->get<std::uint64_t>());
    }
    if (const json* removable = member(item, "removable"))
        disk.removable = flag(*removable, "facts.disk.removable");
    return disk;
}

MachineFacts machineFacts(const json& facts)
{
    requireObject(facts, "facts");
    MachineFacts result;
    auto text = [&](const char* name, std::string& field, bool required) {
        if (const json* value = member(facts, name)) {
            if (!value->is_string())
                fail(std::string("facts.") + name, "expected a text");
            field = value->get<std::string>();
        } else if (required) {
            fail("facts", std::string("missing \"") + name + "\"");
        }
    };
    auto count = [&](const char* name, int& field) {
        if (const json* value = member(facts, name)) {
            if (!value->is_number_unsigned() || value->get<std::uint64_t>() > 4096)
                fail(std::string("facts.") + name, "expected a count");
            field = static_cast<int>(value->get<std::uint64_t>());
        }
    };
    text("modelIdentifier", result.modelIdentifier, true);
    text("modelName", result.modelName, false);
    text("cpuBrand", result.cpuBrand, true);
    count("physicalCores", result.physicalCores);
    count("logicalCores", result.logicalCores);
    count("performanceCores", result.performanceCores);
    count("efficiencyCores", result.efficiencyCores);
    if (const json* memory = member(facts, "memoryBytes")) {
        if (!memory->is_number_unsigned())
            fail("facts.memoryBytes", "expected a byte count");
        result.memoryBytes = memory->get<std::uint64_t>();
    }
    text("osVersion", result.osVersion, true);
    text("osBuild", result.osBuild, true);
    text("architecture", result.architecture, true);
    if (result.architecture != "x86_64" && result.architecture != "arm64")
        fail("facts.architecture", "expected \"x86_64\" or \"arm64\"");
    text("serialNumber", result.serialNumber, false);
    text("platformUUID", result.platformUUID, false);
    if (const json* modules = member(facts, "memoryModules"))
        result.memoryModules = listOf(*modules, "facts.memoryModules", memoryModule);
    if (const json* graphics = member(facts, "graphics"))
        result.graphics = listOf(*graphics, "facts.graphics", graphicsFacts);
    if (const json* disk = member(facts, "disk"))
        result.disk = diskFacts(*disk);
    return result;
}

FanProfile fanProfile(const json& item, int index, const std::string& where)
{
    requireObject(item, where);
    FanProfile fan;
    fan.index = index;
    const json* type = member(item, "type");
    if (!type)
        fail(where, "missing \"type\"");
    fan.type = fourBytes(*type, where + ".type");
    if (!ValueCodec::encode(fan.type, 0))
        fail(where + ".type", "a fan speed type holds a number");
    auto speed = [&](const char* name, double& field, bool required) {
        if (const json* value = member(item, name))
            field = nonNegative(*value, where + "." + name);
        else if (required)
            fail(where, std::string("missing \"") + name + "\"");
    };
    speed("min", fan.minSpeed, true);
    speed("max", fan.maxSpeed, true);
    speed("current", fan.currentSpeed, true);
    fan.targetSpeed = fan.currentSpeed;
    speed("target", fan.targetSpeed, false);
    if (fan.minSpeed > fan.maxSpeed)
        fail(where, "\"min\" above \"max\"");
    const json* keys = member(item, "keys");
    if (!keys || !keys->is_array())
        fail(where, "missing \"keys\" (suffixes such as \"Ac\")");
    for (const auto& suffix : *keys) {
        if (!suffix.is_string())
            fail(where + ".keys", "expected texts");
        const auto& text = suffix.get_ref<const std::string&>();
        static const std::vector<std::string> known {"Ac", "Mn", "Mx", "Tg", "Md", "ID"};
        if (std::find(known.begin(), known.end(), text) == known.end())
            fail(where + ".keys", "unknown suffix \"" + text + "\"");
        fan.keys.push_back(text);
    }
    if (const json* name = member(item, "name"))
        fan.name = latin1(*name, where + ".name");
    return fan;
}

void addFanKeys(KeyTable& table, const FanProfile& fan)
{
    for (const auto& suffix : fan.keys) {
        KeyEntry entry;
        entry.key = FanKey::name(fan.index, suffix);
        if (suffix == "Md") {
            entry.type = "ui8 ";
            entry.size = 1;
            entry.writable = true;
        } else if (suffix == "ID") {
            entry.type = "{fds";
            entry.size = 16;
            if (auto bytes = ValueCodec::encodeText(entry.type, fan.name))
                entry.bytes = *bytes;
            else
                fail("fans[" + std::to_string(fan.index) + "].name", "at most twelve characters");
        } else {
            entry.type = fan.type;
            entry.size = ValueCodec::defaultSize(fan.type).value_or(0);
            const double value = suffix == "Ac"   ? fan.currentSpeed
                                 : suffix == "Mn" ? fan.minSpeed
                                 : suffix == "Mx" ? fan.maxSpeed
                                                  : fan.targetSpeed;
            entry.bytes = ValueCodec::encode(fan.type, value).value_or(ValueBytes {});
            entry.writable = suffix == "Mn" || suffix == "Tg";
        }
        table.upsert(std::move(entry));
    }
}

FaultRule faultRule(const json& item, const std::string& where)
{
    requireObject(item, where);
    FaultRule rule;
    if (const json* command = member(item, "command")) {
        if (!command->is_number_unsigned() || command->get<std::uint64_t>() > 255)
            fail(where + ".command", "expected a command number");
        rule.command = static_cast<std::uint8_t>(command->get<std::uint64_t>());
    }
    if (const json* key = member(item, "key"))
        rule.key = fourBytes(*key, where + ".key");
    if (const json* index = member(item, "index")) {
        if (!index->is_number_unsigned() || index->get<std::uint64_t>() > 0xFFFFFFFFu)
            fail(where + ".index", "expected an index");
        rule.index = static_cast<std::uint32_t>(index->get<std::uint64_t>());
    }
    if (rule.key && rule.index)
        fail(where, "give a key or an index, not both");
    const json* code = member(item, "code");
    if (!code)
        fail(where, "missing \"code\"");
    rule.code = resultCode(*code, where + ".code");
    if (const json* times = member(item, "times")) {
        if (times->is_string() && times->get<std::string>() == "always")
            rule.times = -1;
        else if (times->is_number_unsigned() && times->get<std::uint64_t>() >= 1
                 && times->get<std::uint64_t>() <= 1000000)
            rule.times = static_cast<int>(times->get<std::uint64_t>());
        else
            fail(where + ".times", "expected a count from 1 or \"always\"");
    }
    return rule;
}

// The sections a profile and an overlay share: "smc", "service", "faults".
void applySections(MachineProfile& profile, const json& root)
{
    if (const json* smc = member(root, "smc")) {
        requireObject(*smc, "smc");
        if (const json* policy = member(*smc, "missingKeyPolicy")) {
            if (*policy == "quiet")
                profile.device.missingKeyPolicy = MissingKeyPolicy::quiet;
            else if (*policy == "kernelError")
                profile.device.missingKeyPolicy = MissingKeyPolicy::kernelError;
            else
                fail("smc.missingKeyPolicy", "expected \"quiet\" or \"kernelError\"");
        }
        if (const json* code = member(*smc, "missingKeyCode"))
            profile.device.missingKeyCode = resultCode(*code, "smc.missingKeyCode");
        if (const json* strict = member(*smc, "strictWrites"))
            profile.device.strictWrites = flag(*strict, "smc.strictWrites");
        if (const json* remove = member(*smc, "remove")) {
            if (!remove->is_array())
                fail("smc.remove", "expected an array of keys");
            for (const auto& key : *remove)
                profile.keys.remove(fourBytes(key, "smc.remove"));
        }
        if (const json* dynamic = member(*smc, "dynamicKeys")) {
            if (*dynamic == "byKind")
                profile.markedDynamic = false;
            else if (*dynamic == "marked")
                profile.markedDynamic = true;
            else
                fail("smc.dynamicKeys", "expected \"byKind\" or \"marked\"");
        }
        if (const json* keys = member(*smc, "keys")) {
            if (!keys->is_array())
                fail("smc.keys", "expected an array");
            std::vector<KeyEntry> entries;
            entries.reserve(keys->size());
            std::set<std::string, std::less<>> seen;
            for (std::size_t i = 0; i < keys->size(); ++i) {
                const std::string where = "smc.keys[" + std::to_string(i) + "]";
                KeyEntry entry = keyEntry((*keys)[i], profile.keys, where);
                if (!seen.insert(entry.key).second)
                    fail(where, "key \"" + entry.key + "\" listed twice");
                if (entry.key == "#KEY" && (member((*keys)[i], "value") || member((*keys)[i], "bytes")))
                    profile.keys.setAutoKeyCount(false);
                entries.push_back(std::move(entry));
            }
            profile.keys.upsertAll(std::move(entries));
        }
        if (const json* count = member(*smc, "keyCount")) {
            const double n = nonNegative(*count, "smc.keyCount");
            KeyEntry entry;
            entry.key = "#KEY";
            entry.type = "ui32";
            entry.size = 4;
            entry.bytes = ValueCodec::encode("ui32", n).value_or(ValueBytes {});
            profile.keys.setAutoKeyCount(false);
            profile.keys.upsert(std::move(entry));
        }
    }
    if (const json* service = member(root, "service")) {
        requireObject(*service, "service");
        if (const json* present = member(*service, "present"))
            profile.service.present = flag(*present, "service.present");
        if (const json* code = member(*service, "matchingFailure"))
            profile.service.matchingFailure = resultCode(*code, "service.matchingFailure");
        if (const json* code = member(*service, "openFailure"))
            profile.device.openFailure = resultCode(*code, "service.openFailure");
        if (const json* code = member(*service, "closeFailure"))
            profile.device.closeFailure = resultCode(*code, "service.closeFailure");
    }
    if (const json* faults = member(root, "faults")) {
        if (!faults->is_array())
            fail("faults", "expected an array");
        for (std::size_t i = 0; i < faults->size(); ++i)
            profile.device.faults.push_back(faultRule((*faults)[i], "faults[" + std::to_string(i) + "]"));
    }
}

void readBase(MachineProfile& profile, const json& root)
{
    requireObject(root, "profile");
    const json* name = member(root, "name");
    if (!name || !name->is_string() || name->get_ref<const std::string&>().empty())
        fail("name", "expected a profile name");
    profile.name = name->get<std::string>();
    if (const json* description = member(root, "description")) {
        if (!description->is_string())
            fail("description", "expected a text");
        profile.description = description->get<std::string>();
    }
    if (const json* platform = member(root, "platform"); platform && !platform->is_null()) {
        if (!platform->is_string() || platform->get_ref<const std::string&>().empty())
            fail("platform", "expected a platform name or null");
        profile.platform = platform->get<std::string>();
    }
    const json* facts = member(root, "facts");
    if (!facts)
        fail("profile", "missing \"facts\"");
    profile.facts = machineFacts(*facts);
    if (const json* thermal = member(root, "thermal")) {
        requireObject(*thermal, "thermal");
        profile.thermal = thermal->dump();
    }
    const json* smc = member(root, "smc");
    if (!smc || !smc->is_object() || !member(*smc, "keys"))
        fail("profile", "missing \"smc\" with \"keys\"");

    if (const json* fans = member(root, "fans")) {
        if (!fans->is_array() || fans->size() > 10)
            fail("fans", "expected an array of at most ten fans");
        for (std::size_t i = 0; i < fans->size(); ++i) {
            profile.fans.push_back(fanProfile((*fans)[i], static_cast<int>(i), "fans[" + std::to_string(i) + "]"));
            addFanKeys(profile.keys, profile.fans.back());
        }
    }
    KeyEntry count;
    count.key = "#KEY";
    count.type = "ui32";
    count.size = 4;
    profile.keys.upsert(count);
    KeyEntry fanCount;
    fanCount.key = "FNum";
    fanCount.type = "ui8 ";
    fanCount.size = 1;
    fanCount.bytes[0] = static_cast<std::uint8_t>(profile.fans.size());
    profile.keys.upsert(fanCount);
    applySections(profile, root);
}

} // namespace

std::optional<std::string> MachineProfile::readText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::filesystem::path MachineProfile::directory()
{
    if (const char* dir = std::getenv("AERLO_MACHINES_DIR"); dir && *dir)
        return dir;
    if (auto bundled = Foundation::Bundle::main().path("Machines"))
        return *bundled;
    // A build whose bundle has no resources yet (a test target built alone): the source tree's.
    return AERLO_MACHINES_FALLBACK_DIR;
}

std::vector<std::string> MachineProfile::availableNames()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(directory(), error))
        if (item.is_regular_file() && item.path().extension() == ".json")
            names.push_back(item.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

Foundation::Result<MachineProfile> MachineProfile::parse(std::string_view text)
{
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded())
        return Foundation::Error("not valid JSON");
    MachineProfile profile;
    try {
        readBase(profile, root);
    } catch (const Failure& failure) {
        return Foundation::Error(failure.message);
    }
    return profile;
}

Foundation::Result<void> MachineProfile::applyOverlay(std::string_view text)
{
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded())
        return Foundation::Error("not valid JSON");
    MachineProfile changed = *this;
    try {
        requireObject(root, "overlay");
        const json* name = member(root, "name");
        if (!name || !name->is_string())
            fail("overlay", "missing \"name\"");
        applySections(changed, root);
        changed.overlays.push_back(name->get<std::string>());
    } catch (const Failure& failure) {
        return Foundation::Error(failure.message);
    }
    *this = std::move(changed);
    return {};
}

std::optional<MachineProfile> MachineProfile::load(std::string_view spec)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream {std::string(spec)};
    while (std::getline(stream, part, '+'))
        parts.push_back(part);
    if (parts.empty() || parts.front().empty()) {
        Foundation::Console::printError("Machine profile: no name given");
        return std::nullopt;
    }
    const std::string& base = parts.front();
    const bool isPath = base.find('/') != std::string::npos || base.ends_with(".json");
    const std::filesystem::path path = isPath ? std::filesystem::path(base) : directory() / (base + ".json");

    auto report = [](const std::string& what, const std::string& reason) {
        Foundation::Console::printError("Machine profile " + what + ": " + reason);
    };
    const auto text = readText(path);
    if (!text) {
        report(base, "cannot read " + path.string());
        return std::nullopt;
    }
    auto profile = parse(*text);
    if (!profile) {
        report(base, profile.error());
        return std::nullopt;
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::filesystem::path overlayPath = directory() / "Overlays" / (parts[i] + ".json");
        const auto overlay = readText(overlayPath);
        if (!overlay) {
            report(base + "+" + parts[i], "cannot read " + overlayPath.string());
            return std::nullopt;
        }
        if (const auto applied = profile->applyOverlay(*overlay); !applied) {
            report(base + "+" + parts[i], applied.error());
            return std::nullopt;
        }
    }
    return std::move(*profile);
}

} // namespace SMCSim
