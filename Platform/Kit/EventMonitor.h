#pragma once

#include "Platform/Kit/Event.h"
#include "Platform/Kit/KitExport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace Kit {

// Watches the application's input. A local monitor sees each event a window is about to dispatch, in the
// order the monitors were added, and returns the event to go on with (changed or not) or nothing to
// swallow it. Global monitors would see other applications' events: here they are tokens that never fire.
// A monitor stays until removeMonitor. Main thread only.
class AERLO_KIT_EXPORT EventMonitor {
public:
    using Mask = std::uint64_t;
    using LocalHandler = std::function<std::optional<Event>(const Event&)>;
    using GlobalHandler = std::function<void(const Event&)>;

    static constexpr Mask maskFor(Event::Type type) { return Mask {1} << static_cast<unsigned>(type); }
    static constexpr Mask any = ~Mask {0};

    static std::shared_ptr<EventMonitor> addLocalMonitorForEvents(Mask mask, LocalHandler handler);
    static std::shared_ptr<EventMonitor> addGlobalMonitorForEvents(Mask mask, GlobalHandler handler);
    static void removeMonitor(const std::shared_ptr<EventMonitor>& monitor);
    static std::size_t localMonitorCount();

    // The windows' side: the event after the local monitors, or nothing when one swallowed it.
    static std::optional<Event> dispatchLocal(const Event& event);

    Mask mask() const { return mask_; }
    bool isGlobal() const { return global_; }

    EventMonitor(Mask mask, LocalHandler handler, bool global)
        : mask_(mask), handler_(std::move(handler)), global_(global)
    {
    }

private:
    Mask mask_;
    LocalHandler handler_;
    bool global_;
};

} // namespace Kit
