#include "Classes/Configure/SystemKit/TopProcess.h"

#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Configure/SystemKit/ProcessApplication.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/TextUtilities.h"

#include <cmath>
#include <sstream>
#include <vector>

namespace Aerlo {

namespace {

std::vector<std::string> pieces(std::string_view text)
{
    std::istringstream stream {std::string(text)};
    std::vector<std::string> all;
    for (std::string piece; stream >> piece;)
        all.push_back(piece);
    return all;
}

// The figure in mebibytes: its digits and point, scaled by the unit letter that ends it once a trend
// sign is set aside ("2G+" is 2048).
double mebibytes(std::string field)
{
    while (!field.empty() && (field.back() == '+' || field.back() == '-'))
        field.pop_back();
    std::string number;
    for (char c : field)
        if ((c >= '0' && c <= '9') || c == '.')
            number += c;
    const double value = Foundation::decimalNumber<double>(number).value_or(0);
    switch (field.empty() ? '\0' : field.back()) {
    case 'B':
        return value / (1024.0 * 1024.0);
    case 'K':
        return value / 1024.0;
    case 'G':
        return value * 1024.0;
    case 'T':
        return value * 1024.0 * 1024.0;
    default:
        return value;
    }
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string TopProcess::description() const
{
    return "TopProcess(pid: " + std::to_string(pid_) + ", name: " + quoted(name_)
           + ", usage: " + Foundation::NumberText::shortest(usage_) + ")";
}

nlohmann::ordered_json TopProcess::encode() const
{
    nlohmann::ordered_json json;
    json["pid"] = pid_;
    json["name"] = name_;
    json["usage"] = usage_;
    return json;
}

std::optional<TopProcess> TopProcess::decode(const nlohmann::ordered_json& json)
{
    if (!json.is_object() || json.size() != 3 || !json.contains("pid") || !json.contains("name")
        || !json.contains("usage"))
        return std::nullopt;
    const auto& pid = json["pid"];
    const auto& name = json["name"];
    const auto& usage = json["usage"];
    if (!pid.is_number_integer() || !name.is_string() || !usage.is_number())
        return std::nullopt;
    return TopProcess(pid.get<std::int64_t>(), name.get<std::string>(), usage.get<double>());
}

TopProcess TopProcess::parse(std::string_view rawLine)
{
    const std::string line = trimmingWhitespaceAndNewlines(rawLine);
    const std::string pidText = firstMatch(line, "^\\d+");
    // Only the leading pid goes: "3 Python3" keeps its command whole.
    std::vector<std::string> rest =
        pieces(std::string_view(line).substr(line.starts_with(pidText) ? pidText.size() : 0));
    if (!rest.empty() && rest.front() == "*")
        rest.erase(rest.begin());
    std::string memory;
    if (!rest.empty()) {
        memory = rest.back();
        rest.pop_back();
    } else {
        memory = line.substr(line.size() > 6 ? line.size() - 6 : 0);
    }
    std::string command;
    for (const std::string& piece : rest)
        command += (command.empty() ? "" : " ") + piece;
    command = replacingMatches(Foundation::trimmed(command), " (\\+|\\-)*$", "");
    const std::int64_t pid = Foundation::decimalNumber<std::int64_t>(pidText).value_or(0);
    const auto application = ProcessApplication::forProcess(pid);
    return TopProcess(pid, application ? application->localizedName : command, mebibytes(memory));
}

} // namespace Aerlo
