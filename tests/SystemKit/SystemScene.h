#pragma once

#include "tests/Support/TempRoot.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// One simulated Mac for a test: the named machine profile, every system stand-in back to its
// defaults, the system profiler started through a wrapper that counts its runs and can print
// scripted output instead, an English test localisation and no shared SystemKit. Undone at the end.
class SystemScene {
public:
    explicit SystemScene(std::string_view machine = "mbp-m1pro-2fan");
    ~SystemScene();
    SystemScene(const SystemScene&) = delete;
    SystemScene& operator=(const SystemScene&) = delete;

    // The profiler prints exactly `bytes` for `dataType` (with or without "-json").
    void profilerPrints(std::string_view dataType, std::string_view bytes);
    // "/usr/sbin/system_profiler" is not available.
    void profilerMissing();
    // How often the profiler ran for `dataType`.
    int profilerRuns(std::string_view dataType) const;

    // A profile file made of a shipped one with `facts` members replaced; select it with ActiveMachine.
    std::filesystem::path profileWithFacts(std::string_view base, std::string_view factsJSON);

    const std::filesystem::path& folder() const { return root_.path(); }

private:
    TempRoot root_;
    std::optional<std::string> previousMachine_;
};
