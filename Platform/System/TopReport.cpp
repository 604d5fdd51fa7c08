#include "Platform/System/TopReport.h"

#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/ToolMap.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace SystemPlatform {

namespace {

constexpr const char* usage = "usage: top -l 1 [-o mem] [-n processes] [-stats pid,command,mem]\n";

std::optional<std::string> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number after `key` ("VmRSS:\t  1234 kB") in a /proc file of "key: value" lines.
std::optional<std::uint64_t> field(const std::string& text, std::string_view key)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ':')
            continue;
        std::istringstream value(line.substr(key.size() + 1));
        std::uint64_t number = 0;
        if (value >> number)
            return number;
        return std::nullopt;
    }
    return std::nullopt;
}

// One line per command: control characters would break the table.
std::string printableCommand(std::string command)
{
    while (!command.empty() && command.back() == '\n')
        command.pop_back();
    for (char& c : command)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return command.empty() ? "?" : command;
}

std::string padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text + " ";
}

std::string headerBlock(std::size_t processCount, const std::filesystem::path& procRoot)
{
    std::string text = "Processes: " + std::to_string(processCount) + " total\n";
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    char date[32] = {};
    if (::localtime_r(&now, &local) && std::strftime(date, sizeof date, "%Y/%m/%d %H:%M:%S", &local) > 0)
        text += std::string(date) + "\n";
    if (const auto load = readFile(procRoot / "loadavg")) {
        std::istringstream values(*load);
        std::string one, five, fifteen;
        if (values >> one >> five >> fifteen)
            text += "Load Avg: " + one + ", " + five + ", " + fifteen + "\n";
    }
    if (const auto memory = readFile(procRoot / "meminfo")) {
        const auto total = field(*memory, "MemTotal");
        const auto available = field(*memory, "MemAvailable");
        if (total && available && *available <= *total)
            text += "PhysMem: " + std::to_string((*total - *available) / 1024) + "M used, "
                    + std::to_string(*available / 1024) + "M unused.\n";
    }
    return text;
}

std::optional<std::int64_t> wholeNumber(const std::string& text)
{
    return Foundation::decimalNumber<std::int64_t>(text);
}

} // namespace

std::vector<TopReport::Row> TopReport::processes(const std::filesystem::path& procRoot)
{
    std::vector<Row> rows;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        const auto pid = wholeNumber(entry.path().filename().string());
        if (!pid || *pid <= 0)
            continue;
        const auto status = readFile(entry.path() / "status");
        const auto command = readFile(entry.path() / "comm");
        if (!status || !command)
            continue; // ended meanwhile
        const auto resident = field(*status, "VmRSS");
        if (!resident)
            continue; // a kernel thread
        rows.push_back({*pid, printableCommand(*command), *resident});
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.residentKiB != b.residentKiB ? a.residentKiB > b.residentKiB : a.pid < b.pid;
    });
    return rows;
}

std::string TopReport::memoryText(std::uint64_t kib)
{
    if (kib < 1024)
        return std::to_string(kib) + "K";
    const std::uint64_t mib = kib / 1024;
    if (mib < 10 * 1024)
        return std::to_string(mib) + "M";
    return std::to_string(mib / 1024) + "G";
}

std::string TopReport::format(const std::vector<Row>& rows, std::size_t count, const std::filesystem::path& procRoot)
{
    std::string text = headerBlock(rows.size(), procRoot) + "\n" + padded("PID", 6) + padded("COMMAND", 16) + "MEM\n";
    for (std::size_t i = 0; i < rows.size() && i < count; ++i)
        text += padded(std::to_string(rows[i].pid), 6) + padded(rows[i].command, 16) + memoryText(rows[i].residentKiB)
                + "\n";
    return text;
}

TopReport::Output TopReport::run(const std::vector<std::string>& arguments, const std::filesystem::path& procRoot)
{
    std::size_t count = static_cast<std::size_t>(-1);
    bool oneSample = false;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const std::string value = hasValue ? arguments[i + 1] : "";
        if (option == "-l" && value == "1") {
            oneSample = true;
        } else if (option == "-o" && value == "mem") {
        } else if (option == "-stats" && value == "pid,command,mem") {
        } else if (option == "-n" && wholeNumber(value) && *wholeNumber(value) >= 0) {
            count = static_cast<std::size_t>(*wholeNumber(value));
        } else {
            return {1, {}, usage};
        }
    }
    if (!oneSample)
        return {1, {}, usage};
    return {0, format(processes(procRoot), count, procRoot), {}};
}

std::string TopReport::standInPath() { return Foundation::ToolMap::standIn("top", AERLO_TOP_STAND_IN); }

void TopReport::installStandIn() { Foundation::ToolMap::set("/usr/bin/top", standInPath()); }

} // namespace SystemPlatform
