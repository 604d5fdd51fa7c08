#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// Starts the tool at `launchPath` with `arguments`, its standard output on a pipe and its standard
// error the parent's, and gives everything it writes, decoded as UTF-8 with repair. Nothing when the
// tool cannot start (one debug line) or prints nothing. The child is reaped.
std::optional<std::string> runCommand(const std::string& launchPath, const std::vector<std::string>& arguments);

} // namespace Aerlo
