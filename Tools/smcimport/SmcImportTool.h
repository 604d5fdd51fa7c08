#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The smcimport command line:
//   smcimport TABLE --name NAME [--model ID] [--description TEXT] [--facts FILE] [--output FILE]
//       turns an Intel key table into a profile (the model defaults to the table's file name without
//       ".txt"; the output to <machines folder>/NAME.json);
//   smcimport --temperatures REPORT --into PROFILE [--output FILE]
//       replaces an Apple-silicon profile's temperature keys with a chip's report.
// The profile is checked by loading it before it is written, and written in one step: a failure
// leaves no file behind and prints one line.
class SmcImportTool {
public:
    // `arguments` without the program name; the process's exit status.
    static int run(const std::vector<std::string>& arguments);
    static std::string usage();
    // A key the sensor catalogue shows on Intel Macs (wildcard rows taking any digit).
    static bool catalogued(std::string_view key);
};

} // namespace Aerlo
