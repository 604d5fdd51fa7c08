#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

namespace QVToolsKit {

// Declared by the framework with no working operations.
class QVTOOLSKIT_EXPORT QVSavePanelManager {
public:
    QVSavePanelManager();
};

} // namespace QVToolsKit
