#pragma once

#include "Platform/Kit/Screen.h"

namespace Kit {

// Qt's screens, primary first, with frames turned into y-up global coordinates.
class QtScreenProvider : public Screen::Provider {
public:
    std::vector<Screen::Description> screens() const override;
    std::optional<Point> qtGlobalOrigin() const override;
};

} // namespace Kit
