#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <functional>

namespace Foundation {

// Keeps an observer registered while it lives; destroying or resetting it unregisters the observer.
// Move-only. A default-constructed token holds nothing.
class AERLO_FOUNDATION_EXPORT ObserverToken {
public:
    ObserverToken() = default;
    explicit ObserverToken(std::function<void()> unregister);
    ~ObserverToken();

    ObserverToken(ObserverToken&& other) noexcept;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;

    // Unregisters now; later calls do nothing.
    void reset();
    bool isActive() const;

private:
    std::function<void()> unregister_;
};

} // namespace Foundation
