#pragma once

#include <string>

namespace Aerlo {

// Lists the processes using the most memory: runs `top` once, parses its rows and prints each record
// with its memory in readable form.
class ProcessReader {
public:
    virtual ~ProcessReader() = default;

    std::string title = "RAM";
    int numberOfProcesses = 8;

    virtual void read();
};

} // namespace Aerlo
