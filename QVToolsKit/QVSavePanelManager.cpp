#include "QVToolsKit/QVSavePanelManager.h"

namespace QVToolsKit {

QVSavePanelManager::QVSavePanelManager() = default;

} // namespace QVToolsKit
