#pragma once

#include "Platform/System/URLOpener.h"

#include <string>

namespace SystemPlatform {

// Opens addresses with the desktop's opener program, started through Foundation::Process (so the tool map
// can point it elsewhere). The answer is true when the program exits with status 0, or is still running
// after `waitSeconds` (it has started a handler that keeps it busy).
class ProcessURLOpener final : public URLOpener {
public:
    static constexpr const char* defaultProgram = "/usr/bin/xdg-open";

    explicit ProcessURLOpener(std::string program = defaultProgram, double waitSeconds = 5.0);
    [[nodiscard]] bool open(const Foundation::URL& url) override;

private:
    std::string program_;
    double waitSeconds_;
};

} // namespace SystemPlatform
