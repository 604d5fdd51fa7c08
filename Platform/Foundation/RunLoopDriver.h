#pragma once

#include "Platform/Foundation/FoundationExport.h"

namespace Foundation {

// Runs the main run loop: ManualRunLoopDriver in tests, Kit::QtRunLoopDriver in programs.
class AERLO_FOUNDATION_EXPORT RunLoopDriver {
public:
    virtual ~RunLoopDriver() = default;
    // Something was scheduled or the mode changed, so the next event may be earlier. Called from any thread.
    virtual void wake() = 0;
};

} // namespace Foundation
