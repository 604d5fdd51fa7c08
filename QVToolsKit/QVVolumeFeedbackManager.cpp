#include "QVToolsKit/QVVolumeFeedbackManager.h"

namespace QVToolsKit {

QVVolumeFeedbackManager::QVVolumeFeedbackManager() = default;

} // namespace QVToolsKit
