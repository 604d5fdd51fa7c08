#include "Tools/smcimport/SmcTableImporter.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/SimSmcDevice.h"
#include "Platform/SMC/ValueCodec.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>
#include <set>

namespace Aerlo {

namespace {

using ordered_json = nlohmann::ordered_json;
using Foundation::Error;

// What the importer knows of a model beyond its key table: the configuration it most often came in.
struct ModelFacts {
    std::string_view identifier;
    std::string_view cpuBrand;
    int physicalCores;
    int logicalCores;
    std::uint64_t memoryGiB;
};

constexpr ModelFacts knownModels[] = {
    {"MacBookPro11,4", "Intel(R) Core(TM) i7-4770HQ CPU @ 2.20GHz", 4, 8, 16},
    {"MacBookAir8,1", "Intel(R) Core(TM) i5-8210Y CPU @ 1.60GHz", 2, 4, 8},
    {"MacPro7,1", "Intel(R) Xeon(R) W-3223 CPU @ 3.50GHz", 8, 16, 32},
    {"iMac18,3", "Intel(R) Core(TM) i5-7600 CPU @ 3.50GHz", 4, 4, 8},
    {"Macmini8,1", "Intel(R) Core(TM) i3-8100B CPU @ 3.60GHz", 4, 4, 8},
};

// The family part of an identifier as the system shows it ("MacBookPro11,4" → "MacBook Pro").
std::string modelName(std::string_view identifier)
{
    static constexpr std::pair<std::string_view, std::string_view> families[] = {
        {"MacBookPro", "MacBook Pro"}, {"MacBookAir", "MacBook Air"}, {"MacBook", "MacBook"}, {"MacPro", "Mac Pro"},
        {"Macmini", "Mac mini"},       {"iMacPro", "iMac Pro"},       {"iMac", "iMac"},
    };
    for (const auto& [prefix, name] : families)
        if (identifier.starts_with(prefix) && identifier.size() > prefix.size()
            && std::isdigit(static_cast<unsigned char>(identifier[prefix.size()])))
            return std::string(name);
    return "Mac";
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view text)
{
    auto bytes = SMCSim::ValueCodec::fromHex(text);
    return bytes && !bytes->empty() ? bytes : std::nullopt;
}

// Key and type bytes as profile text: each byte the character of the same number.
std::string latin1ToUTF8(std::string_view bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

// Reads the text between `open` and `close` at `at`, moving past it.
std::optional<std::string_view> bracketed(std::string_view line, std::size_t& at, char open = '[', char close = ']')
{
    if (at >= line.size() || line[at] != open)
        return std::nullopt;
    const std::size_t end = line.find(close, at + 1);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view inside = line.substr(at + 1, end - at - 1);
    at = end + 1;
    return inside;
}

bool literal(std::string_view line, std::size_t& at, std::string_view text)
{
    if (line.substr(at, text.size()) != text)
        return false;
    at += text.size();
    return true;
}

struct LineError {
    std::string what;
};

// One key line; the kernel failure of a preceding "Unable to read" line comes in `failure`.
SMCSim::KeyEntry keyLine(std::string_view line, std::uint32_t failure)
{
    std::size_t at = 0;
    const auto key = bracketed(line, at);
    if (!key || key->size() != 4)
        throw LineError {"expected a four-character key in brackets"};
    std::optional<std::string_view> shownType;
    if (!literal(line, at, " type ") || !(shownType = bracketed(line, at)) || !literal(line, at, " "))
        throw LineError {"expected \"type [TYPE]\""};
    const auto typeCode = hexBytes(line.substr(at, 8));
    if (!typeCode || typeCode->size() != 4)
        throw LineError {"bad hex in the type code"};
    at += 8;
    std::optional<std::string_view> size;
    if (!literal(line, at, " len ") || !(size = bracketed(line, at)))
        throw LineError {"expected \"len [N]\""};
    std::string_view digits = *size;
    digits.remove_prefix(std::min(digits.find_first_not_of(' '), digits.size()));
    const auto parsed = Foundation::decimalNumber<std::uint32_t>(digits);
    if (!parsed || *parsed > 255)
        throw LineError {"bad size \"" + std::string(*size) + "\""};
    const std::uint32_t length = *parsed;
    std::optional<std::string_view> attributes;
    if (!literal(line, at, " attr ") || !(attributes = bracketed(line, at)) || !literal(line, at, " -> "))
        throw LineError {"expected \"attr [AA] -> \""};
    const auto attributeByte = hexBytes(*attributes);
    if (!attributeByte || attributeByte->size() != 1)
        throw LineError {"bad hex in the attributes"};

    SMCSim::KeyEntry entry;
    entry.key = std::string(*key);
    entry.type.assign(typeCode->begin(), typeCode->end());
    entry.size = length;
    entry.firmwareAttributes = attributeByte->front();
    entry.writable = (attributeByte->front() & SMCSim::KeyEntry::writableFlag) != 0;

    const std::string_view value = line.substr(at);
    if (value.starts_with("NOT READABLE")) {
        std::string_view rest = value.substr(12);
        entry.readResult = SMCSim::SimSmcDevice::kSMCNotReadable;
        if (!rest.empty()) {
            const auto code = rest.starts_with(", code ") ? hexBytes(rest.substr(7)) : std::nullopt;
            if (!code || code->size() != 1)
                throw LineError {"expected \", code XX\" after NOT READABLE"};
            entry.readResult = code->front();
        }
        entry.readFailure = failure;
        return entry;
    }
    if (failure != 0)
        throw LineError {"a value after \"Unable to read smc value\""};
    const auto bytes = hexBytes(value);
    if (!bytes)
        throw LineError {"bad hex in the value"};
    if (bytes->size() != length)
        throw LineError {"size " + std::to_string(length) + " but " + std::to_string(bytes->size()) + " value bytes"};
    std::copy_n(bytes->begin(), std::min(bytes->size(), entry.bytes.size()), entry.bytes.begin());
    return entry;
}

// Calls `each` with every line (without its line feed or carriage return) and its number from 1; the first
// error it gives ends the walk, as "line N: what".
Foundation::Result<void> eachLine(std::string_view text,
                                  const std::function<Foundation::Result<void>(std::string_view)>& each)
{
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (const auto read = each(line); !read)
            return Error("line " + std::to_string(number) + ": " + read.error());
    }
    return {};
}

std::optional<std::size_t> publicKeyCount(std::string_view line)
{
    std::size_t at = 0;
    if (!literal(line, at, "Public keys ("))
        return std::nullopt;
    std::size_t count = 0;
    const auto [end, problem] = std::from_chars(line.data() + at, line.data() + line.size(), count);
    if (problem != std::errc() || std::string_view(end, line.data() + line.size() - end) != "):")
        return std::nullopt;
    return count;
}

// "macOS 10.15.3 (19D49f)", "OS X 10.11.6", "OS X 10.11.6 (15G22010) - …"
bool systemVersion(std::string_view line, std::string& version, std::string& build)
{
    std::size_t at = 0;
    if (!literal(line, at, "macOS ") && !literal(line, (at = 0), "OS X "))
        return false;
    const std::size_t space = std::min(line.find(' ', at), line.size());
    version = std::string(line.substr(at, space - at));
    at = space + 1;
    if (const auto inside = bracketed(line, at, '(', ')'))
        build = std::string(*inside);
    return !version.empty();
}

std::optional<double> decoded(const SMCSim::KeyEntry* entry)
{
    if (!entry || entry->readRefused())
        return std::nullopt;
    return SMCSim::ValueCodec::decode(entry->type, entry->bytes);
}

ordered_json keyJSON(const SMCSim::KeyEntry& entry, bool dynamic)
{
    ordered_json item;
    item["key"] = latin1ToUTF8(entry.key);
    item["type"] = latin1ToUTF8(entry.type);
    item["size"] = entry.size;
    item["attributes"] = SMCSim::ValueCodec::toHex(&*entry.firmwareAttributes, 1);
    if (entry.readRefused()) {
        item["readResult"] = "0x" + SMCSim::ValueCodec::toHex(&entry.readResult, 1);
        if (entry.readFailure != 0) {
            char code[11];
            std::snprintf(code, sizeof code, "0x%08X", entry.readFailure);
            item["readFailure"] = code;
        }
    } else {
        item["bytes"] =
            SMCSim::ValueCodec::toHex(entry.bytes.data(), std::min<std::size_t>(entry.size, entry.bytes.size()));
    }
    if (dynamic)
        item["dynamic"] = true;
    return item;
}

} // namespace

Foundation::Result<SmcTableImporter::Table> SmcTableImporter::parse(std::string_view text)
{
    Table table;
    std::optional<std::size_t> expected;
    std::uint32_t failure = 0;
    std::set<std::string, std::less<>> seen;
    bool hidden = false;
    const auto read = eachLine(text, [&](std::string_view line) -> Foundation::Result<void> {
        hidden = hidden || line.starts_with("Hidden keys");
        if (hidden || line.empty() || (table.keys.empty() && systemVersion(line, table.osVersion, table.osBuild)))
            return {};
        if (const auto count = publicKeyCount(line)) {
            expected = count;
            return {};
        }
        if (line.starts_with("Unable to read smc value ")) {
            const auto code = hexBytes(line.substr(25));
            if (!code || code->size() != 4)
                return Error("bad hex in the kernel code");
            failure = std::uint32_t((*code)[0]) << 24 | std::uint32_t((*code)[1]) << 16 | std::uint32_t((*code)[2]) << 8
                      | (*code)[3];
            return {};
        }
        try {
            SMCSim::KeyEntry entry = keyLine(line, failure);
            if (!seen.insert(entry.key).second)
                return Error("key \"" + entry.key + "\" listed twice");
            table.keys.push_back(std::move(entry));
        } catch (const LineError& error) {
            return Error(error.what);
        }
        failure = 0;
        return {};
    });
    if (!read)
        return Error(read.error());
    if (table.keys.empty())
        return Error("no keys in the table");
    if (expected && *expected != table.keys.size())
        return Error("the table says " + std::to_string(*expected) + " public keys but lists "
                     + std::to_string(table.keys.size()));
    return table;
}

Foundation::Result<std::vector<SMCSim::KeyEntry>> SmcTableImporter::parseTemperatures(std::string_view text)
{
    std::vector<SMCSim::KeyEntry> keys;
    std::set<std::string, std::less<>> seen;
    const auto read = eachLine(text, [&](std::string_view line) -> Foundation::Result<void> {
        line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
        while (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
        if (line.empty())
            return {};
        std::size_t at = 4;
        SMCSim::KeyEntry entry;
        entry.key = std::string(line.substr(0, 4));
        while (at < line.size() && line[at] == ' ')
            ++at;
        const auto type = bracketed(line, at);
        if (entry.key.size() != 4 || entry.key[0] != 'T' || !type || type->size() != 4)
            return Error("expected a \"T…\" key and its type in brackets");
        entry.type = std::string(*type);
        const std::size_t open = line.find("(bytes ", at);
        if (open == std::string_view::npos || !line.ends_with(')'))
            return Error("expected \"(bytes …)\"");
        std::string digits;
        for (char c : line.substr(open + 7, line.size() - open - 8))
            if (c != ' ')
                digits.push_back(c);
        const auto bytes = hexBytes(digits);
        if (!bytes || bytes->size() > entry.bytes.size())
            return Error("bad hex in the bytes");
        const auto size = SMCSim::ValueCodec::defaultSize(entry.type);
        if (size && *size != bytes->size())
            return Error("type \"" + entry.type + "\" takes " + std::to_string(*size) + " bytes, not "
                         + std::to_string(bytes->size()));
        entry.size = static_cast<std::uint32_t>(bytes->size());
        std::copy(bytes->begin(), bytes->end(), entry.bytes.begin());
        if (!seen.insert(entry.key).second)
            return Error("key \"" + entry.key + "\" listed twice");
        keys.push_back(std::move(entry));
        return {};
    });
    if (!read)
        return Error(read.error());
    if (keys.empty())
        return Error("no temperature keys in the report");
    return keys;
}

ordered_json SmcTableImporter::withTemperatures(ordered_json profile, const std::vector<SMCSim::KeyEntry>& temperatures,
                                                const std::string& source)
{
    ordered_json keys = ordered_json::array();
    bool battery = false;
    for (const auto& item : profile["smc"]["keys"]) {
        const auto& key = item["key"].get_ref<const std::string&>();
        battery = battery || key == "BNum";
        if (!key.starts_with("T"))
            keys.push_back(item);
    }
    for (const SMCSim::KeyEntry& entry : temperatures) {
        if (!battery && entry.key.starts_with("TB"))
            continue; // the report's machine had a battery, this one has none
        ordered_json item;
        item["key"] = latin1ToUTF8(entry.key);
        item["type"] = latin1ToUTF8(entry.type);
        item["size"] = entry.size;
        item["bytes"] = SMCSim::ValueCodec::toHex(entry.bytes.data(), entry.size);
        keys.push_back(std::move(item));
    }
    std::stable_sort(keys.begin(), keys.end(), [](const ordered_json& a, const ordered_json& b) {
        return a["key"].get_ref<const std::string&>() < b["key"].get_ref<const std::string&>();
    });
    profile["smc"]["keys"] = std::move(keys);
    profile["temperatureSource"] = source;
    return profile;
}

Foundation::Result<ordered_json> SmcTableImporter::profile(const Table& table, const Options& options)
{
    SMCSim::KeyTable keys;
    keys.upsertAll(table.keys);

    ordered_json facts;
    facts["modelIdentifier"] = options.modelIdentifier;
    facts["modelName"] = modelName(options.modelIdentifier);
    const auto known = std::find_if(std::begin(knownModels), std::end(knownModels),
                                    [&](const ModelFacts& m) { return m.identifier == options.modelIdentifier; });
    if (known != std::end(knownModels)) {
        facts["cpuBrand"] = known->cpuBrand;
        facts["physicalCores"] = known->physicalCores;
        facts["logicalCores"] = known->logicalCores;
        facts["memoryBytes"] = known->memoryGiB << 30;
    }
    facts["osVersion"] = table.osVersion;
    facts["osBuild"] = table.osBuild;
    facts["architecture"] = "x86_64";
    for (const auto& [name, value] : options.facts.items())
        facts[name] = value;
    if (!facts.contains("cpuBrand"))
        return Error("the facts of " + options.modelIdentifier
                     + " are not known: give cpuBrand, physicalCores, logicalCores and memoryBytes");

    const auto fanCount = decoded(keys.find("FNum")).value_or(0);
    ordered_json fans = ordered_json::array();
    std::set<std::string, std::less<>> live {"FS! "};
    for (int fan = 0; fan < static_cast<int>(fanCount) && fan < 10; ++fan) {
        const auto minimum = decoded(keys.find(SMCSim::FanKey::name(fan, "Mn")));
        const auto maximum = decoded(keys.find(SMCSim::FanKey::name(fan, "Mx")));
        const SMCSim::KeyEntry* actual = keys.find(SMCSim::FanKey::name(fan, "Ac"));
        if (!minimum || !maximum || !actual)
            return Error("fan " + std::to_string(fan) + " has no readable minimum, maximum or actual speed");
        ordered_json item;
        item["type"] = actual->type;
        item["min"] = *minimum;
        item["max"] = *maximum;
        item["current"] = decoded(actual).value_or(0);
        item["target"] = decoded(keys.find(SMCSim::FanKey::name(fan, "Tg"))).value_or(*minimum);
        item["keys"] = ordered_json::array(); // the table holds them
        fans.push_back(std::move(item));
        for (const char* suffix : {"Ac", "Tg", "Md"})
            live.insert(SMCSim::FanKey::name(fan, suffix));
    }

    ordered_json list = ordered_json::array();
    for (const SMCSim::KeyEntry& entry : keys.entries()) {
        const bool measured = std::string_view("TVPI").find(entry.key[0]) != std::string_view::npos
                              && options.catalogued && options.catalogued(entry.key);
        const bool dynamic = !entry.readRefused() && (live.contains(entry.key) || measured || entry.key == "B0AC");
        list.push_back(keyJSON(entry, dynamic));
    }

    ordered_json profile;
    profile["name"] = options.name;
    profile["description"] = options.description.empty() ? facts["modelName"].get<std::string>() + " ("
                                                               + options.modelIdentifier + "), from its key table"
                                                         : options.description;
    if (!options.source.empty())
        profile["source"] = options.source;
    profile["platform"] = "intel";
    profile["facts"] = std::move(facts);
    profile["fans"] = std::move(fans);
    profile["smc"] = {{"missingKeyPolicy", "quiet"}, {"dynamicKeys", "marked"}, {"keys", std::move(list)}};
    return profile;
}

std::string SmcTableImporter::render(const ordered_json& profile)
{
    const auto dump = [](const ordered_json& value, int indent) {
        return value.dump(indent, ' ', false, ordered_json::error_handler_t::strict);
    };
    const auto indented = [&](const ordered_json& value) {
        std::string text = dump(value, 2);
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 3))
            text.insert(at + 1, "  ");
        return text;
    };
    std::string text = "{\n";
    std::size_t i = 0;
    for (const auto& [name, value] : profile.items()) {
        text += "  " + dump(name, -1) + ": ";
        if (name == "smc" && value.contains("keys")) {
            text += "{\n";
            for (const auto& [field, setting] : value.items())
                if (field != "keys")
                    text += "    " + dump(field, -1) + ": " + dump(setting, -1) + ",\n";
            text += "    \"keys\": [\n";
            const auto& keys = value["keys"];
            for (std::size_t k = 0; k < keys.size(); ++k)
                text += "      " + dump(keys[k], -1) + (k + 1 < keys.size() ? ",\n" : "\n");
            text += "    ]\n  }";
        } else if (name == "fans") {
            text += "[\n";
            for (std::size_t f = 0; f < value.size(); ++f)
                text += "    " + dump(value[f], -1) + (f + 1 < value.size() ? ",\n" : "\n");
            text += "  ]";
        } else {
            text += indented(value);
        }
        text += ++i < profile.size() ? ",\n" : "\n";
    }
    return text + "}\n";
}

} // namespace Aerlo
