#include "Platform/Vendors/MSACAppCenter.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Vendors/MSACAnalytics.h"

#include <algorithm>
#include <mutex>

namespace Vendors {

namespace {

struct State {
    std::mutex mutex;
    std::optional<MSACAppCenter::Start> lastStart;
};

State& state()
{
    static Foundation::SharedInstance<State> shared;
    return shared.get();
}

} // namespace

void MSACAppCenter::start(std::string_view appSecret, const std::vector<MSACService>& services)
{
    {
        std::lock_guard lock(state().mutex);
        state().lastStart = Start {std::string(appSecret), services};
    }
    if (std::ranges::find(services, MSACService::MSACAnalytics) != services.end())
        MSACAnalytics::setStarted(true);
}

std::optional<MSACAppCenter::Start> MSACAppCenter::lastStart()
{
    std::lock_guard lock(state().mutex);
    return state().lastStart;
}

void MSACAppCenter::resetForTesting()
{
    {
        std::lock_guard lock(state().mutex);
        state().lastStart.reset();
    }
    MSACAnalytics::setStarted(false);
}

} // namespace Vendors
