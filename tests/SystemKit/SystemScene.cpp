#include "SystemScene.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NextLog.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Platform/Foundation/ToolMap.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/DiskArbitration.h"
#include "Platform/System/IORegistry.h"
#include "Platform/System/Kernel.h"
#include "Platform/System/SystemProfiler.h"
#include "tests/Support/TestAccess.h"

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

void resetStandIns()
{
    TestAccess::resetForTesting<SystemPlatform::Kernel>();
    TestAccess::resetForTesting<SystemPlatform::IORegistry>();
    TestAccess::resetForTesting<SystemPlatform::DiskArbitration>();
    TestAccess::resetForTesting<Aerlo::SystemKit>();
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

SystemScene::SystemScene(std::string_view machine)
{
    if (const char* old = std::getenv("AERLO_MACHINE"))
        previousMachine_ = old;
    SystemPlatform::ActiveMachine::select(machine);
    resetStandIns();
    TestAccess::resetForTesting<Aerlo::NextLog>();
    Aerlo::LocalizationTable::setTable(std::map<std::string, std::string> {
        {"Unknown", "Unknown"}, {"Number of cores", "%0 cores"}, {"Number of threads", "%0 threads"}});

    const auto script = folder() / "system_profiler";
    std::ofstream(script) << "#!/bin/sh\n"
                          << "printf '%s\\n' \"$1\" >> '" << (folder() / "calls").string() << "'\n"
                          << "if [ -f '" << folder().string() << "/'\"$1\".out ]; then cat '" << folder().string()
                          << "/'\"$1\".out; exit 0; fi\n"
                          << "exec '" << SystemPlatform::SystemProfiler::standInPath() << "' \"$@\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    Foundation::ToolMap::set("/usr/sbin/system_profiler", script.string());
}

SystemScene::~SystemScene()
{
    resetStandIns();
    TestAccess::resetForTesting<Foundation::ToolMap>();
    Aerlo::LocalizationTable::setTable(std::nullopt);
    SystemPlatform::ActiveMachine::select(previousMachine_.value_or(""));
}

void SystemScene::profilerPrints(std::string_view dataType, std::string_view bytes)
{
    std::ofstream(folder() / (std::string(dataType) + ".out"), std::ios::binary) << bytes;
}

void SystemScene::profilerMissing() { Foundation::ToolMap::set("/usr/sbin/system_profiler", ""); }

int SystemScene::profilerRuns(std::string_view dataType) const
{
    std::istringstream calls(readFile(folder() / "calls"));
    int runs = 0;
    for (std::string line; std::getline(calls, line);)
        runs += line == dataType ? 1 : 0;
    return runs;
}

std::filesystem::path SystemScene::profileWithFacts(std::string_view base, std::string_view factsJSON)
{
    auto profile =
        nlohmann::ordered_json::parse(readFile(SMCSim::MachineProfile::directory() / (std::string(base) + ".json")));
    const auto facts = nlohmann::ordered_json::parse(factsJSON);
    for (const auto& [key, value] : facts.items())
        profile["facts"][key] = value;
    const auto path = folder() / (std::string(base) + "-variant.json");
    std::ofstream(path) << profile.dump(2);
    return path;
}
