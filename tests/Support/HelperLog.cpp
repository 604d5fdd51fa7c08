#include "tests/Support/HelperLog.h"

#include <fstream>
#include <nlohmann/json.hpp>

std::vector<std::string> helperLogEntries(const std::filesystem::path& logFile)
{
    std::vector<std::string> lines;
    std::ifstream log(logFile);
    std::string line;
    while (std::getline(log, line)) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        if (record.is_discarded() || !record.is_object())
            continue;
        const auto event = record.value("event", std::string());
        if (event == "start")
            lines.push_back("start " + record.value("version", std::string()));
        else if (event == "message")
            lines.push_back(record.value("sel", std::string()) + " " + record.value("args", nlohmann::json()).dump());
    }
    return lines;
}
