#pragma once

#include <string>

namespace Aerlo {

// Part of the application's type set: names a log file and does nothing with it.
struct LogManager {
    std::string logFilePath;
};

} // namespace Aerlo
