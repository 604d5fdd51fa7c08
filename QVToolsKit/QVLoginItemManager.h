#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <string_view>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace QVToolsKit {

// Switches a login item of the application on or off. Silent: an identifier that names no login item,
// or a refused switch, leaves things as they were.
class QVTOOLSKIT_EXPORT QVLoginItemManager {
public:
    static QVLoginItemManager& shared();

    // On 13.0 and later through the login-item service, before that through the older switch.
    static void setLaunchAtLogin(bool on, std::string_view bundleID);

private:
    friend class Foundation::SharedInstance<QVLoginItemManager>;
    QVLoginItemManager() = default;
    static void setLaunchAtLoginUsingSMAppService(bool on, std::string_view bundleID);
};

} // namespace QVToolsKit
