#pragma once

#include <cstdint>
#include <string>

namespace Aerlo {

// A process in a list of processes: who it is and how much memory it uses.
class Process_p {
public:
    virtual ~Process_p() = default;
    virtual std::int64_t pid() const = 0;
    virtual const std::string& name() const = 0;
    // Mebibytes.
    virtual double usage() const = 0;
};

} // namespace Aerlo
