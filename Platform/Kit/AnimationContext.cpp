#include "Platform/Kit/AnimationContext.h"

#include "Platform/Foundation/DispatchQueue.h"

#include <algorithm>

namespace Kit {

void AnimationContext::runAnimationGroup(double duration, const std::function<void()>& changes,
    std::function<void()> completion)
{
    if (changes)
        changes();
    if (!completion)
        return;
    const double delay = duration > 0 ? duration : 0;
    Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + delay, std::move(completion));
}

} // namespace Kit
