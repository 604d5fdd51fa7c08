#include "Classes/Configure/SystemKit/ProcessReader.h"

#include "Classes/Configure/Global/QVMemorySizeFormatter.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Configure/SystemKit/TopProcess.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/Process.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

namespace Aerlo {

namespace {

// A process row: the pid with optional asterisks, the command, the memory figure with an optional unit
// letter and trend sign. Rows indented by spaces and figures with a decimal part ("1.5G") are rows too.
constexpr const char* rowPattern = "^\\d+\\** +.* +\\d+(\\.\\d+)?[A-Z]*\\+?\\-? *$";

// Mebibytes as whole bytes, kept inside what the unsigned count holds.
std::uint64_t bytesOf(double mebibytes)
{
    const double bytes = std::floor(mebibytes * 1024.0 * 1024.0);
    if (!(bytes > 0))
        return 0;
    constexpr double limit = 18446744073709549568.0; // the largest double below 2^64
    return bytes >= limit ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(bytes);
}

} // namespace

void ProcessReader::read()
{
    // Both pipes are drained together, so a chatty standard error cannot stall the table.
    const auto result = Foundation::Process::run(
        "/usr/bin/top", {"-l", "1", "-o", "mem", "-n", std::to_string(numberOfProcesses), "-stats", "pid,command,mem"});
    if (!result.launched)
        return; // "top: " + the launch error, reported to nobody
    const std::string output = decodingUTF8(result.stdout_);
    if (output.empty())
        return;
    std::vector<TopProcess> records;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (matches(trimmingWhitespaceAndNewlines(line), rowPattern))
            records.push_back(TopProcess::parse(line));
    for (const TopProcess& record : records) {
        Foundation::Console::print(record.description());
        Foundation::Console::print("readableMemoryUsage: "
                                   + QVMemorySizeFormatter::format(bytesOf(record.usage()), 1024));
    }
}

} // namespace Aerlo
