#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <any>
#include <map>
#include <string>

namespace Foundation {

// Extra values a notification carries; receivers std::any_cast them
// (e.g. "fanHelperState" carries {"state": bool}).
using UserInfo = std::map<std::string, std::any>;

struct AERLO_FOUNDATION_EXPORT Notification {
    std::string name;
    const void* object = nullptr; // the sender, or nullptr
    UserInfo userInfo;
};

} // namespace Foundation
