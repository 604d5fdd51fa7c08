#include "QVToolsKit/UI/QVActivityIndicatorManager.h"

#include "Platform/Foundation/DispatchQueue.h"

#include <functional>

namespace QVToolsKit {

namespace {

void onMain(QVActivityIndicatorManager::Indicator indicator, std::function<void(Kit::ProgressIndicator&)> change)
{
    if (!indicator)
        return;
    Foundation::DispatchQueue::main().async([indicator = std::move(indicator), change = std::move(change)] {
        change(*indicator);
    });
}

} // namespace

void QVActivityIndicatorManager::activityIndicatorAnimation(Indicator indicator, bool isAnimating)
{
    onMain(std::move(indicator), [isAnimating](Kit::ProgressIndicator& i) {
        if (isAnimating) {
            i.startAnimation();
            i.setHidden(false);
        } else {
            i.stopAnimation();
            i.setHidden(true);
        }
    });
}

void QVActivityIndicatorManager::setStyle(Indicator indicator, Kit::ProgressIndicator::Style style)
{
    onMain(std::move(indicator), [style](Kit::ProgressIndicator& i) { i.setStyle(style); });
}

void QVActivityIndicatorManager::setProgress(Indicator indicator, double value)
{
    onMain(std::move(indicator), [value](Kit::ProgressIndicator& i) { i.setDoubleValue(value); });
}

void QVActivityIndicatorManager::setProgressRange(Indicator indicator, double min, double max)
{
    onMain(std::move(indicator), [min, max](Kit::ProgressIndicator& i) {
        i.setMinValue(min);
        i.setMaxValue(max);
    });
}

void QVActivityIndicatorManager::setVisibility(Indicator indicator, bool isVisible)
{
    onMain(std::move(indicator), [isVisible](Kit::ProgressIndicator& i) { i.setHidden(!isVisible); });
}

void QVActivityIndicatorManager::setIndeterminate(Indicator indicator, bool isIndeterminate)
{
    onMain(std::move(indicator), [isIndeterminate](Kit::ProgressIndicator& i) { i.setIndeterminate(isIndeterminate); });
}

void QVActivityIndicatorManager::setThreadedAnimation(Indicator indicator, bool usesThreadedAnimation)
{
    onMain(std::move(indicator), [usesThreadedAnimation](Kit::ProgressIndicator& i) {
        i.setUsesThreadedAnimation(usesThreadedAnimation);
    });
}

} // namespace QVToolsKit
