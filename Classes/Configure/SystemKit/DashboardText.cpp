#include "Classes/Configure/SystemKit/DashboardText.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/SystemKit/DiskSize.h"
#include "Classes/Configure/SystemKit/QVSystemHardwareInfo.h"
#include "Platform/Foundation/DateComponentsFormatter.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UTF8.h"

namespace Aerlo::DashboardText {

namespace {

std::string unknown() { return LocalizationTable::text("Unknown"); }

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    return text;
}

} // namespace

std::string processor(const std::optional<cpu_s>& cpu) { return QVSystemHardwareInfo::cpuDescription(cpu); }

std::string graphics(const std::optional<std::vector<gpu_s>>& gpus)
{
    if (!gpus)
        return unknown();
    std::vector<std::string> lines;
    for (const gpu_s& gpu : *gpus) {
        std::string line = gpu.name.value_or(unknown());
        if (gpu.cores || gpu.vram) {
            line += " (";
            if (gpu.cores)
                line += localizedString("Number of cores", {std::to_string(*gpu.cores)});
            if (gpu.vram)
                line += (gpu.cores ? ", " : "") + *gpu.vram;
            line += ")";
        }
        lines.push_back(line);
    }
    return joinedLines(lines);
}

std::string memory(const std::optional<ram_s>& ram)
{
    if (!ram)
        return unknown();
    std::vector<std::string> lines;
    for (const dimm_s& dimm : ram->dimms) {
        std::string line;
        for (const auto& part : {dimm.size, dimm.speed, dimm.type})
            if (part)
                line += (line.empty() ? "" : " ") + *part;
        if (dimm.bank || dimm.channel) {
            if (!line.empty() && !line.ends_with(' '))
                line += " ";
            std::string inside;
            if (dimm.bank)
                inside = "slot " + std::to_string(*dimm.bank);
            if (dimm.channel)
                inside += (inside.empty() ? "" : "/") + ("ch " + *dimm.channel);
            line += "(" + inside + ")";
        }
        lines.push_back(line);
    }
    return joinedLines(lines);
}

std::string disk(const std::optional<disk_s>& disk)
{
    if (!disk)
        return unknown();
    if (disk->size == 0)
        return disk->model;
    return disk->model + " ( " + DiskSize {disk->size}.formatted() + " )";
}

std::string hostName(std::string_view toolOutput)
{
    std::size_t start = 0;
    while (start <= toolOutput.size()) {
        const std::size_t dot = toolOutput.find('.', start);
        const std::string piece = Foundation::trimmed(toolOutput.substr(start, dot - start));
        if (!piece.empty())
            return piece;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return unknown();
}

std::string runHostNameTool()
{
    // The output is read to its end before the child is waited for.
    const auto result = Foundation::Process::run("/usr/bin/env", {"hostname"});
    if (!result.launched || !Foundation::UTF8::isValid(result.stdout_))
        return {};
    return result.stdout_;
}

std::string user(std::string_view fullName, std::string_view shortName)
{
    return std::string(fullName) + "  (" + std::string(shortName) + ")";
}

std::string uptime(const std::optional<std::chrono::system_clock::time_point>& bootDate, double nowSince1970)
{
    if (!bootDate)
        return unknown();
    const double booted = std::chrono::duration<double>(bootDate->time_since_epoch()).count();
    Foundation::DateComponentsFormatter formatter;
    return formatter
        .string(Foundation::DateComponentsFormatter::Date {booted},
                Foundation::DateComponentsFormatter::Date {nowSince1970})
        .value_or(unknown());
}

} // namespace Aerlo::DashboardText
