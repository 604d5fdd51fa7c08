#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"

#include <cstddef>

namespace SystemPlatform {

// The store's rating request. This platform has no store to ask: a request is only counted, so that
// callers and tests can see it was made. Thread-safe.
class AERLO_SYSTEM_EXPORT StoreReviewController {
public:
    static void requestReview();
    // Requests made since the start or the last reset.
    static std::size_t requestCount();

private:
    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace SystemPlatform
