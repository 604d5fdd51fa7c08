#include "Platform/System/HostMachine.h"

#include "Platform/Foundation/TextUtilities.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>
#include <utility>

namespace SystemPlatform {

namespace {

std::string contents(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

constexpr std::string_view blanks = " \t\r\n";

// "name : value" lines, as /proc/cpuinfo and /proc/meminfo write them.
std::vector<std::pair<std::string, std::string>> fields(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (const auto colon = line.find(':'); colon != std::string::npos)
            result.emplace_back(Foundation::trimmed(std::string_view(line).substr(0, colon), blanks),
                                Foundation::trimmed(std::string_view(line).substr(colon + 1), blanks));
    return result;
}

int number(std::string_view text)
{
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The marketing name of a model identifier's family.
std::string modelName(std::string_view identifier)
{
    static const std::pair<std::string_view, std::string_view> families[] = {
        {"MacBookPro", "MacBook Pro"}, {"MacBookAir", "MacBook Air"}, {"MacBook", "MacBook"},
        {"Macmini", "Mac mini"},       {"MacPro", "Mac Pro"},         {"iMacPro", "iMac Pro"},
        {"iMac", "iMac"},              {"Xserve", "Xserve"},          {"Mac", "Mac"}};
    for (const auto& [prefix, name] : families)
        if (identifier.starts_with(prefix))
            return std::string(name);
    return {};
}

// The Apple-silicon chip a device tree's "compatible" list names (its SoC entry "apple,t…"): the platform's
// raw value and the chip's name.
std::optional<std::pair<std::string_view, std::string_view>> appleChip(const std::string& compatible)
{
    static const std::pair<std::string_view, std::pair<std::string_view, std::string_view>> chips[] = {
        {"apple,t8103", {"m1", "M1"}},         {"apple,t6000", {"m1Pro", "M1 Pro"}},
        {"apple,t6001", {"m1Max", "M1 Max"}},  {"apple,t6002", {"m1Ultra", "M1 Ultra"}},
        {"apple,t8112", {"m2", "M2"}},         {"apple,t6020", {"m2Pro", "M2 Pro"}},
        {"apple,t6021", {"m2Max", "M2 Max"}},  {"apple,t6022", {"m2Ultra", "M2 Ultra"}},
        {"apple,t8122", {"m3", "M3"}},         {"apple,t6030", {"m3Pro", "M3 Pro"}},
        {"apple,t6031", {"m3Max", "M3 Max"}},  {"apple,t8132", {"m4", "M4"}},
        {"apple,t6040", {"m4Pro", "M4 Pro"}},  {"apple,t6041", {"m4Max", "M4 Max"}}};
    std::istringstream entries(compatible);
    for (std::string entry; std::getline(entries, entry, '\0');)
        for (const auto& [name, chip] : chips)
            if (entry == name)
                return chip;
    return std::nullopt;
}

} // namespace

SMCSim::MachineProfile HostMachine::profile(const std::filesystem::path& root)
{
    SMCSim::MachineProfile profile;
    profile.name = "host";
    profile.description = "this Mac";
    auto& facts = profile.facts;
    facts.modelIdentifier = Foundation::trimmed(contents(root / "sys/class/dmi/id/product_name"), blanks);
    facts.modelName = modelName(facts.modelIdentifier);

    for (const auto& [name, value] : fields(contents(root / "proc/cpuinfo"))) {
        if (name == "processor")
            ++facts.logicalCores;
        else if (name == "model name" && facts.cpuBrand.empty())
            facts.cpuBrand = value;
        else if (name == "cpu cores" && facts.physicalCores == 0)
            facts.physicalCores = number(value);
    }
    if (facts.physicalCores == 0)
        facts.physicalCores = facts.logicalCores;

    for (const auto& [name, value] : fields(contents(root / "proc/meminfo")))
        if (name == "MemTotal") {
            constexpr std::uint64_t gib = 1ull << 30;
            const std::uint64_t bytes = static_cast<std::uint64_t>(number(value)) * 1024;
            facts.memoryBytes = (bytes + gib - 1) / gib * gib;
        }

    const std::string release(Foundation::trimmed(contents(root / "proc/sys/kernel/osrelease"), blanks));
    facts.osBuild = release;
    facts.osVersion = release.substr(0, release.find_first_not_of("0123456789."));
    utsname host {};
    if (::uname(&host) == 0)
        facts.architecture = host.machine == std::string_view("aarch64") ? "arm64" : host.machine;
    if (facts.architecture == "x86_64")
        profile.platform = "intel";

    // Apple silicon has no DMI: its device tree names the model ("Apple MacBook Pro (14-inch, M1 Pro, 2021)")
    // and the chip.
    if (const auto chip = appleChip(contents(root / "proc/device-tree/compatible"))) {
        profile.platform = std::string(chip->first);
        if (facts.cpuBrand.empty())
            facts.cpuBrand = "Apple " + std::string(chip->second);
        std::string model(Foundation::trimmed(contents(root / "proc/device-tree/model").c_str(), blanks));
        if (model.starts_with("Apple "))
            model.erase(0, 6);
        facts.modelName = model.substr(0, model.find(" ("));
    }
    return profile;
}

} // namespace SystemPlatform
