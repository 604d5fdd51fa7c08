#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/ProgressIndicator.h"

#include <memory>

namespace QVToolsKit {

// Changes a progress indicator from any thread: each call holds the indicator and applies its change
// later on the main queue, in call order, also when called on the main thread. A worker must not drop
// the last reference to the indicator, or its widget would be destroyed off the main thread.
class QVTOOLSKITUI_EXPORT QVActivityIndicatorManager {
public:
    using Indicator = std::shared_ptr<Kit::ProgressIndicator>;

    // Starts the animation and shows the indicator, or stops it and hides it.
    static void activityIndicatorAnimation(Indicator indicator, bool isAnimating);
    static void setStyle(Indicator indicator, Kit::ProgressIndicator::Style style);
    static void setProgress(Indicator indicator, double value);
    // The minimum first, then the maximum, unchecked.
    static void setProgressRange(Indicator indicator, double min, double max);
    static void setVisibility(Indicator indicator, bool isVisible);
    static void setIndeterminate(Indicator indicator, bool isIndeterminate);
    static void setThreadedAnimation(Indicator indicator, bool usesThreadedAnimation);
};

} // namespace QVToolsKit
