#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The helper daemon's log as lines: "start <version>" and "<sel> <args as JSON>" for each message it
// received, in order; other records and unreadable lines are left out.
std::vector<std::string> helperLogEntries(const std::filesystem::path& logFile);
