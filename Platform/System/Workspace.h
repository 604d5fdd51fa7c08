#pragma once

#include "Platform/Foundation/URL.h"
#include "Platform/System/URLOpener.h"

#include <memory>
#include <mutex>

namespace SystemPlatform {

// The desktop's workspace: opens addresses in their default handler. The shared workspace opens through
// ProcessURLOpener; tests install a RecordingURLOpener. Thread-safe.
class Workspace {
public:
    static Workspace& shared();
    // Tests: a fresh shared workspace with `opener` (the default opener when null).
    static void resetShared(std::shared_ptr<URLOpener> opener = nullptr);

    explicit Workspace(std::shared_ptr<URLOpener> opener = nullptr);

    // True when the address was handed to an application.
    bool open(const Foundation::URL& url);

    std::shared_ptr<URLOpener> opener() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<URLOpener> opener_;
};

} // namespace SystemPlatform
