#pragma once

#include <any>
#include <map>
#include <string>

namespace Foundation {

// Extra values a notification carries; receivers std::any_cast them
// (e.g. "fanHelperState" carries {"state": bool}).
using UserInfo = std::map<std::string, std::any>;

struct Notification {
    std::string name;
    const void* object = nullptr; // the sender, or nullptr
    UserInfo userInfo;
};

} // namespace Foundation
