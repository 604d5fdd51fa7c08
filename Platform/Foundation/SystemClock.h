#pragma once

#include "Platform/Foundation/Clock.h"

namespace Foundation {

// The real clocks: CLOCK_MONOTONIC for `now`, CLOCK_REALTIME for `wallTime`.
class SystemClock : public Clock {
public:
    double now() const override;
    double wallTime() const override;
};

} // namespace Foundation
