#pragma once

#include "Classes/Configure/SystemKit/device_s.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The dashboard's texts, built from the system record and a few direct queries. "Unknown" is the
// localised text of that key.
namespace DashboardText {

// The processor name with its localised counts, the counts alone without a name.
std::string processor(const std::optional<cpu_s>& cpu);
// One line per graphics processor: "<name> (<n> cores, <vram>)"; an empty list gives "".
std::string graphics(const std::optional<std::vector<gpu_s>>& gpus);
// One line per module: "8 GB 2667 MHz DDR4 (slot 0/ch A)"; no modules give "".
std::string memory(const std::optional<ram_s>& ram);
// "<model> ( 500.3 GB )", the model alone for size 0.
std::string disk(const std::optional<disk_s>& disk);
// The first dot piece of the host-name tool's output, trimmed; "Unknown" when there is none.
std::string hostName(std::string_view toolOutput);
// What `/usr/bin/env hostname` prints, read to its end ("" when it fails or is not UTF-8).
std::string runHostNameTool();
// "<full name>  (<short name>)".
std::string user(std::string_view fullName, std::string_view shortName);
// "2 days, 3 hours": at most two of day, hour and minute in the localisation language; "Unknown" without
// a boot date or when the boot date lies after `now`.
std::string uptime(const std::optional<std::chrono::system_clock::time_point>& bootDate, double nowSince1970);

} // namespace DashboardText

} // namespace Aerlo
