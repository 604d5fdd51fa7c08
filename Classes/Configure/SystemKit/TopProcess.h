#pragma once

#include "Classes/Configure/SystemKit/Process_p.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// One row of `top`'s table: the process, its name and its memory figure in mebibytes.
class TopProcess : public Process_p {
public:
    TopProcess(std::int64_t pid, std::string name, double usage) : pid_(pid), name_(std::move(name)), usage_(usage) {}

    std::int64_t pid() const override { return pid_; }
    const std::string& name() const override { return name_; }
    double usage() const override { return usage_; }

    // `TopProcess(pid: 123, name: "editor", usage: 512.0)`
    std::string description() const;
    // {"pid", "name", "usage"} in that order.
    nlohmann::ordered_json encode() const;
    // An object with exactly those members of those types; anything else gives nothing.
    static std::optional<TopProcess> decode(const nlohmann::ordered_json& json);

    // A table row ("123* editor 512M+"): the leading pid, the command between it and the last piece,
    // the memory figure scaled to mebibytes by its unit letter (a trailing trend sign set aside). The
    // name is the running application's with that pid, else the command.
    static TopProcess parse(std::string_view line);

    bool operator==(const TopProcess& other) const
    {
        return pid_ == other.pid_ && name_ == other.name_ && usage_ == other.usage_;
    }

private:
    std::int64_t pid_;
    std::string name_;
    double usage_;
};

} // namespace Aerlo
