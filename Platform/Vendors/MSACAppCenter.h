#pragma once

#include "Platform/Foundation/TestAccess.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Vendors {

// The services the SDK can start. Crash reports are collected nowhere: the crashes service only
// takes its place in the list.
enum class MSACService { MSACAnalytics, MSACCrashes };

// The analytics SDK's start.
class MSACAppCenter {
public:
    struct Start {
        std::string appSecret;
        std::vector<MSACService> services;
        bool operator==(const Start&) const = default;
    };

    // Starts the listed services; the analytics service then records events (MSACAnalytics).
    static void start(std::string_view appSecret, const std::vector<MSACService>& services);

    // Tests: what the last start was given (nothing before one), and back to not started.
    static std::optional<Start> lastStart();

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace Vendors
