#include "QVToolsKit/QVStatusItemPositionManager.h"

#include "Platform/Foundation/UserDefaults.h"

namespace QVToolsKit {

bool QVStatusItemPositionManager::isRightMost()
{
    return Foundation::UserDefaults::standard().integer(key) == rightMostPosition;
}

void QVStatusItemPositionManager::setStatusItemToRightMostPosition()
{
    auto& defaults = Foundation::UserDefaults::standard();
    (void)defaults.set(rightMostPosition, key);
    (void)defaults.synchronize();
}

void QVStatusItemPositionManager::resetStatusItemPosition()
{
    auto& defaults = Foundation::UserDefaults::standard();
    (void)defaults.removeObject(key);
    (void)defaults.synchronize();
}

} // namespace QVToolsKit
