#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Foundation/TestAccess.h"

#include <string_view>

namespace Foundation {
template <class T>
class SharedInstance;
}

namespace QVToolsKit {

enum class QVAppearanceMode { light, dark, automatic };

// Whether the application shows light or dark or follows the system's automatic switching; toggles
// between light and dark, and posts "QVAppearanceDidChange" (no object) at every change of the
// application's effective appearance once the shared instance exists.
class QVTOOLSKITUI_EXPORT QVAppearanceManager {
public:
    static constexpr std::string_view didChangeNotification = "QVAppearanceDidChange";

    static QVAppearanceManager& shared();

    QVAppearanceMode currentAppearanceMode() const { return detectCurrentAppearanceMode(); }
    bool isDarkModeEnabled() const { return currentAppearanceMode() == QVAppearanceMode::dark; }
    bool isAutomaticModeEnabled() const { return currentAppearanceMode() == QVAppearanceMode::automatic; }
    // Aqua from dark aqua (or what matches it best), dark aqua from anything else.
    void toggleAppearance();

    QVAppearanceManager(const QVAppearanceManager&) = delete;
    QVAppearanceManager& operator=(const QVAppearanceManager&) = delete;

private:
    friend class Foundation::SharedInstance<QVAppearanceManager>;
    QVAppearanceManager();
    void startObservingAppearanceChanges();
    QVAppearanceMode detectCurrentAppearanceMode() const;

    Foundation::ObserverToken kvoToken;

    friend struct ::TestAccess;
    static void resetForTesting();
};

} // namespace QVToolsKit
