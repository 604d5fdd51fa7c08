#pragma once

#include "Platform/Foundation/URL.h"
#include "Platform/System/SystemExport.h"

namespace SystemPlatform {

// What the workspace hands an address to: the desktop's opener in the application, a recorder in tests.
class AERLO_SYSTEM_EXPORT URLOpener {
public:
    virtual ~URLOpener() = default;
    // True when the address was handed to an application.
    [[nodiscard]] virtual bool open(const Foundation::URL& url) = 0;
};

} // namespace SystemPlatform
