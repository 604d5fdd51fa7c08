#include "Platform/Vendors/MSACAnalytics.h"

#include <mutex>

namespace Vendors {

namespace {

struct SinkHolder {
    std::mutex mutex;
    MSACAnalytics::Sink sink;
};

SinkHolder& holder()
{
    static SinkHolder shared;
    return shared;
}

} // namespace

void MSACAnalytics::trackEvent(std::string_view name)
{
    Sink sink;
    {
        std::lock_guard lock(holder().mutex);
        sink = holder().sink;
    }
    if (sink)
        sink(std::string(name));
}

void MSACAnalytics::setSink(Sink sink)
{
    std::lock_guard lock(holder().mutex);
    holder().sink = std::move(sink);
}

} // namespace Vendors
