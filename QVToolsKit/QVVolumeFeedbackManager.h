#pragma once

namespace QVToolsKit {

// Declared by the framework with no working operations.
class QVVolumeFeedbackManager {
public:
    QVVolumeFeedbackManager();
};

} // namespace QVToolsKit
