#pragma once

#include "Platform/Foundation/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The smcsim command line:
//   smcsim [--profile NAME] [--overlay X]… [--socket PATH] [--manual-clock]
//       serves the profile (default AERLO_MACHINE, else the default machine) on PATH (default the
//       root's simulator socket) until SIGTERM, SIGINT or "ctl stop";
//   smcsim ctl [--socket PATH] load L | advance SECONDS | fault NAME on|off | power battery|ac | snapshot | stop
//       drives a running one over its control messages (needs the token, or root).
class SmcsimTool {
public:
    struct ServeOptions {
        std::string profile;
        std::vector<std::string> overlays;
        std::filesystem::path socket;
        bool manualClock = false;
    };

    // `arguments` without the program name; the process's exit status.
    static int run(const std::vector<std::string>& arguments);

    [[nodiscard]] static Foundation::Result<ServeOptions> parseServe(const std::vector<std::string>& arguments);
    // The control request (JSON) for the words after "ctl" and its options, or why the words are wrong.
    [[nodiscard]] static Foundation::Result<std::string> controlRequest(const std::vector<std::string>& words);
    // A finite decimal number, the whole text, whatever the locale.
    static std::optional<double> parseNumber(std::string_view text);
    static std::string usage();

private:
    static int serve(const ServeOptions& options);
    static int control(const std::vector<std::string>& arguments);
};

} // namespace Aerlo
