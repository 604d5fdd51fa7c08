#include "Classes/App/QVEventMonitor.h"

#include "Classes/App/AppDelegate.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/EventMonitor.h"

namespace Aerlo {

namespace {

Foundation::SharedInstance<QVEventMonitor>& instance()
{
    static Foundation::SharedInstance<QVEventMonitor> instance;
    return instance;
}

} // namespace

QVEventMonitor& QVEventMonitor::shared()
{
    return instance().get();
}

void QVEventMonitor::resetForTesting()
{
    instance().resetForTesting();
}

QVEventMonitor::QVEventMonitor() : appDelegate(AppDelegate::applicationDelegate()) {}

QVEventMonitor::~QVEventMonitor()
{
    for (const auto& [id, monitor] : monitors_)
        Kit::EventMonitor::removeMonitor(monitor);
}

QVEventMonitor::Monitor QVEventMonitor::hold(std::shared_ptr<Kit::EventMonitor> monitor)
{
    if (!monitor)
        return {};
    const Monitor token {++lastId_};
    monitors_[token.id] = std::move(monitor);
    return token;
}

QVEventMonitor::Monitor QVEventMonitor::addGlobalMonitor(std::uint64_t mask, Handler handler)
{
    if (!handler)
        return {};
    auto& self = shared();
    const Monitor token = self.hold(Kit::EventMonitor::addGlobalMonitorForEvents(
        mask, [handler](const Kit::Event& event) { handler(Kit::EventMonitor::maskFor(event.type)); }));
    if (token.id != 0)
        self.globalMouseObserver = token;
    return token;
}

QVEventMonitor::Monitor QVEventMonitor::addLocalMonitor(std::uint64_t mask, Handler handler)
{
    if (!handler)
        return {};
    return shared().hold(Kit::EventMonitor::addLocalMonitorForEvents(mask, [handler](const Kit::Event& event) {
        handler(Kit::EventMonitor::maskFor(event.type));
        return std::optional<Kit::Event>(event);
    }));
}

void QVEventMonitor::removeMonitor(const Monitor& monitor)
{
    auto& monitors = shared().monitors_;
    const auto found = monitors.find(monitor.id);
    if (found == monitors.end())
        return;
    auto held = std::move(found->second);
    monitors.erase(found);
    Kit::EventMonitor::removeMonitor(held);
}

void QVEventMonitor::stop()
{
    if (!globalMouseObserver)
        return;
    removeMonitor(*globalMouseObserver);
    globalMouseObserver.reset();
}

} // namespace Aerlo
