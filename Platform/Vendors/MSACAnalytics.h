#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Vendors {

// The analytics service's event call. Events go to the sink (none: they are dropped); nothing is
// awaited and nothing comes back.
class MSACAnalytics {
public:
    using Sink = std::function<void(const std::string& name)>;

    static void trackEvent(std::string_view name);
    // Replaces the sink (tests record; an empty sink drops events).
    static void setSink(Sink sink);
};

} // namespace Vendors
