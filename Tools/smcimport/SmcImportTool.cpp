#include "Tools/smcimport/SmcImportTool.h"

#include "Classes/Sensors/SensorCatalogue.h"
#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Console.h"
#include "Platform/SMC/MachineProfile.h"
#include "Tools/smcimport/SmcTableImporter.h"

#include <filesystem>
#include <map>
#include <optional>

namespace Aerlo {

namespace {

using Foundation::Console;
using ordered_json = nlohmann::ordered_json;

int failed(const std::string& what)
{
    Console::printError("smcimport: " + what);
    return 1;
}

// Checks that the profile loads, then writes it in one step.
int writeProfile(const ordered_json& profile, const std::filesystem::path& output)
{
    const std::string text = SmcTableImporter::render(profile);
    if (const auto parsed = SMCSim::MachineProfile::parse(text); !parsed)
        return failed("the profile would not load: " + parsed.error());
    if (const auto written = Foundation::AtomicFile::write(output, text, 0644); !written)
        return failed("cannot write " + output.string() + ": " + written.error());
    Console::print("smcimport: wrote " + output.string());
    return 0;
}

} // namespace

std::string SmcImportTool::usage()
{
    return "usage: smcimport TABLE --name NAME [--model ID] [--description TEXT] [--facts FILE] [--output FILE]\n"
           "       smcimport --temperatures REPORT --into PROFILE [--output FILE]\n";
}

bool SmcImportTool::catalogued(std::string_view key)
{
    static const std::vector<Sensor> rows = SensorCatalogue::forPlatform(Platform::intel);
    for (const Sensor& row : rows) {
        const std::string& pattern = row.key;
        if (pattern.size() != key.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; same && i < key.size(); ++i)
            same = pattern[i] == '%' ? (key[i] >= '0' && key[i] <= '9') : pattern[i] == key[i];
        if (same)
            return true;
    }
    return false;
}

int SmcImportTool::run(const std::vector<std::string>& arguments)
{
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            Console::write(Console::Stream::standardOutput, usage());
            return 0;
        }
        if (argument.starts_with("--")) {
            static const std::vector<std::string> known {"--name",   "--model",        "--description", "--facts",
                                                         "--output", "--temperatures", "--into"};
            if (std::find(known.begin(), known.end(), argument) == known.end() || i + 1 >= arguments.size()
                || arguments[i + 1].empty()) {
                Console::printError("smcimport: unknown option or missing value: " + argument);
                Console::write(Console::Stream::standardError, usage());
                return 2;
            }
            options[argument.substr(2)] = arguments[++i];
        } else {
            positional.push_back(argument);
        }
    }
    const auto option = [&](const char* name) {
        auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    };

    if (!option("temperatures").empty()) {
        if (!positional.empty() || option("into").empty()) {
            Console::write(Console::Stream::standardError, usage());
            return 2;
        }
        const auto report = SMCSim::MachineProfile::readText(option("temperatures"));
        const auto base = SMCSim::MachineProfile::readText(option("into"));
        if (!report || !base)
            return failed("cannot read " + (report ? option("into") : option("temperatures")));
        const auto temperatures = SmcTableImporter::parseTemperatures(*report);
        if (!temperatures)
            return failed(option("temperatures") + ": " + temperatures.error());
        const ordered_json profile = ordered_json::parse(*base, nullptr, false);
        if (profile.is_discarded() || !profile.is_object() || !profile.contains("smc")
            || !profile["smc"].contains("keys"))
            return failed(option("into") + ": not a profile");
        const std::string source = std::filesystem::path(option("temperatures")).filename().string();
        const std::string output = option("output").empty() ? option("into") : option("output");
        return writeProfile(SmcTableImporter::withTemperatures(profile, *temperatures, source), output);
    }

    if (positional.size() != 1 || option("name").empty()) {
        Console::write(Console::Stream::standardError, usage());
        return 2;
    }
    const std::filesystem::path tablePath = positional.front();
    const auto text = SMCSim::MachineProfile::readText(tablePath);
    if (!text)
        return failed("cannot read " + tablePath.string());
    const auto table = SmcTableImporter::parse(*text);
    if (!table)
        return failed(tablePath.string() + ": " + table.error());

    SmcTableImporter::Options settings;
    settings.name = option("name");
    settings.modelIdentifier = option("model").empty() ? tablePath.stem().string() : option("model");
    settings.description = option("description");
    settings.source = tablePath.filename().string();
    settings.catalogued = catalogued;
    if (!option("facts").empty()) {
        const auto facts = SMCSim::MachineProfile::readText(option("facts"));
        settings.facts = facts ? ordered_json::parse(*facts, nullptr, false) : ordered_json();
        if (!settings.facts.is_object())
            return failed(option("facts") + ": expected a JSON object of facts");
    }
    const auto profile = SmcTableImporter::profile(*table, settings);
    if (!profile)
        return failed(profile.error());
    const std::filesystem::path output = option("output").empty()
                                             ? SMCSim::MachineProfile::directory() / (settings.name + ".json")
                                             : std::filesystem::path(option("output"));
    return writeProfile(*profile, output);
}

} // namespace Aerlo
