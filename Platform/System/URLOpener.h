#pragma once

#include "Platform/Foundation/URL.h"

namespace SystemPlatform {

// What the workspace hands an address to: the desktop's opener in the application, a recorder in tests.
class URLOpener {
public:
    virtual ~URLOpener() = default;
    // True when the address was handed to an application.
    [[nodiscard]] virtual bool open(const Foundation::URL& url) = 0;
};

} // namespace SystemPlatform
