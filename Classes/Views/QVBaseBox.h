#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/Box.h"
#include "Platform/Kit/Coder.h"

#include <optional>
#include <string>

namespace Aerlo {

// The application's rounded background box: no title, no border, radius 16, a translucent fill that
// follows the appearance (white at 40 % in light, black at 15 % in dark).
class QVBaseBox : public Kit::Box {
public:
    explicit QVBaseBox(const Kit::Rect& frame = {});
    explicit QVBaseBox(const Kit::Coder& coder);
    void awakeFromNib();

    // The fill for the current appearance mode.
    static Kit::Colour currentFill();
    bool isObservingAppearance() const { return appearanceObservation_.has_value(); }

    // A change of the observed key path: "effectiveAppearance" recomputes the fill; others are ignored.
    virtual void observeValueForKeyPath(const std::string& keyPath);

private:
    void setUp();

    // Dropped with the box, so a later change of appearance reaches no box that is gone.
    std::optional<Foundation::ObserverToken> appearanceObservation_;
};

} // namespace Aerlo
