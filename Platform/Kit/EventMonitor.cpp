#include "Platform/Kit/EventMonitor.h"

#include "Platform/Foundation/SharedInstance.h"

#include <algorithm>
#include <vector>

namespace Kit {

namespace {

std::vector<std::shared_ptr<EventMonitor>>& localMonitors()
{
    static Foundation::SharedInstance<std::vector<std::shared_ptr<EventMonitor>>> monitors;
    return monitors.get();
}

} // namespace

std::shared_ptr<EventMonitor> EventMonitor::addLocalMonitorForEvents(Mask mask, LocalHandler handler)
{
    if (!handler)
        return nullptr;
    auto monitor = std::make_shared<EventMonitor>(mask, std::move(handler), false);
    localMonitors().push_back(monitor);
    return monitor;
}

std::shared_ptr<EventMonitor> EventMonitor::addGlobalMonitorForEvents(Mask mask, GlobalHandler handler)
{
    if (!handler)
        return nullptr;
    return std::make_shared<EventMonitor>(mask, nullptr, true);
}

void EventMonitor::removeMonitor(const std::shared_ptr<EventMonitor>& monitor)
{
    auto& monitors = localMonitors();
    monitors.erase(std::remove(monitors.begin(), monitors.end(), monitor), monitors.end());
}

std::size_t EventMonitor::localMonitorCount() { return localMonitors().size(); }

std::optional<Event> EventMonitor::dispatchLocal(const Event& event)
{
    std::optional<Event> current = event;
    // A copy: handlers may add or remove monitors.
    for (const auto& monitor : std::vector<std::shared_ptr<EventMonitor>>(localMonitors())) {
        if (!(monitor->mask_ & maskFor(current->type)))
            continue;
        // A monitor removed by an earlier handler no longer sees the event.
        const auto& monitors = localMonitors();
        if (std::find(monitors.begin(), monitors.end(), monitor) == monitors.end())
            continue;
        current = monitor->handler_(*current);
        if (!current)
            return std::nullopt;
    }
    return current;
}

} // namespace Kit
