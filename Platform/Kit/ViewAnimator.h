#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

#include <memory>

namespace Kit {

class View;

// Changes to a view that animate in the current animation context.
class AERLO_KIT_EXPORT ViewAnimator {
public:
    explicit ViewAnimator(View& view);

    void setFrame(const Rect& frame);
    void setFrameOrigin(Point origin);
    void setFrameSize(Size size);
    void setAlphaValue(double alpha);
    // Hiding fades out, then hides (the alpha comes back); showing shows at 0 and fades in.
    void setHidden(bool hidden);

private:
    std::weak_ptr<View> view_;
    View* raw_;
};

} // namespace Kit
