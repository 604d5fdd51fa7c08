#pragma once

namespace QVToolsKit {

// Declared by the framework with no working operations.
class QVSavePanelManager {
public:
    QVSavePanelManager();
};

} // namespace QVToolsKit
