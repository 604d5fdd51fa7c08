#include "Classes/App/QVEventMonitor.h"

#include "Classes/App/AppDelegate.h"
#include "Platform/Foundation/SharedInstance.h"

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

void QVEventMonitor::resetShared()
{
    instance().resetForTesting();
}

QVEventMonitor::QVEventMonitor() : appDelegate(AppDelegate::applicationDelegate()) {}

QVEventMonitor::Monitor QVEventMonitor::addGlobalMonitor(std::uint64_t, Handler)
{
    return {};
}

QVEventMonitor::Monitor QVEventMonitor::addLocalMonitor(std::uint64_t, Handler)
{
    return {};
}

std::pair<QVEventMonitor::Monitor, QVEventMonitor::Monitor> QVEventMonitor::addMonitors(std::uint64_t mask,
                                                                                        Handler handler)
{
    return {addGlobalMonitor(mask, handler), addLocalMonitor(mask, handler)};
}

void QVEventMonitor::removeMonitor(const Monitor&) {}

void QVEventMonitor::stop()
{
    if (!globalMouseObserver)
        return;
    removeMonitor(*globalMouseObserver);
    globalMouseObserver.reset();
}

} // namespace Aerlo
