#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/KitExport.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>

namespace Kit {

class Layer;

// Media time and the display link. Media time is the main run loop's clock. The link repaints at
// about 60 Hz only while a visible layer has a running animation; one-shot timers at the exact end
// times report finished animations.
class AERLO_KIT_EXPORT AnimationClock {
public:
    static AnimationClock& shared();
    // The run loop's clock, or the time set for drawing while a DrawingTime lives.
    static double mediaTime();

    // Layers show what they would at `time` while this lives (a status item's tray draws the frames of a
    // turn at their exact times). Main thread only; nothing may add animations meanwhile.
    class DrawingTime {
    public:
        explicit DrawingTime(double time);
        ~DrawingTime();
        DrawingTime(const DrawingTime&) = delete;
        DrawingTime& operator=(const DrawingTime&) = delete;

    private:
        std::optional<double> previous_;
    };

    // A layer gained or lost animations, or its timing changed.
    void layerChanged(Layer& layer);
    void forget(Layer& layer);
    // Recomputes whether the link runs and when the next animation ends (after visibility changes).
    void update();

    bool isTicking() const { return ticker_ != nullptr; }
    std::uint64_t tickCount() const { return ticks_; }
    static constexpr double frameInterval = 1.0 / 60.0;

private:
    void tick();
    void finishEnded();

    std::set<Layer*> layers_;
    std::shared_ptr<Foundation::Timer> ticker_;
    std::shared_ptr<Foundation::Timer> endTimer_;
    double endTime_ = 0;
    std::uint64_t ticks_ = 0;
    bool updating_ = false;

    friend struct ::TestAccess;
    // Drops every timer and layer (tests).
    void resetForTesting();
};

} // namespace Kit
