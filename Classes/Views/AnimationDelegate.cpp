#include "Classes/Views/AnimationDelegate.h"

namespace Aerlo {

void AnimationDelegate::animationDidStop(Kit::Animation&, bool finished)
{
    if (didStopHandler)
        didStopHandler(finished);
}

} // namespace Aerlo
