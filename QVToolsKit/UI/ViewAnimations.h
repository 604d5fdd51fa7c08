#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Layer.h"
#include "Platform/Kit/View.h"

namespace QVToolsKit {

// Layer animations of a view under these keys. Every Kit view has a layer, so no operation here meets
// a view without one.
inline constexpr const char* rotationAnimationKey = "rotationAnimation";
inline constexpr const char* rotateAnimationKey = "rotateAnimation";
inline constexpr const char* fadeInAnimationKey = "fadeInAnimation";
inline constexpr const char* fadeOutAnimationKey = "fadeOutAnimation";
inline constexpr const char* shakeAnimationKey = "shakeIt";

// An endless turn about the view's centre, one turn per `duration` seconds, replacing every animation.
QVTOOLSKITUI_EXPORT void rotate(Kit::View& view, double duration);
// rotate, unless a turn of that duration already runs (a new turn would start again at angle 0).
QVTOOLSKITUI_EXPORT void rotateUnlessRunning(Kit::View& view, double duration);
QVTOOLSKITUI_EXPORT void pauseAnimation(Kit::View& view);
QVTOOLSKITUI_EXPORT void resumeAnimation(Kit::View& view);
// Moves the anchor without moving the layer on screen.
QVTOOLSKITUI_EXPORT void setAnchorPoint(Kit::View& view, Kit::Point anchorPoint);
QVTOOLSKITUI_EXPORT void startAnimation(Kit::View& view, bool clockwise);
QVTOOLSKITUI_EXPORT void rotateAnimation(Kit::View& view, bool clockwise, double angle, double duration);
QVTOOLSKITUI_EXPORT void stopAnimation(Kit::View& view);
QVTOOLSKITUI_EXPORT void toggleFadeAnimation(Kit::View& view, double duration);
QVTOOLSKITUI_EXPORT void shake(Kit::View& view, double duration);
QVTOOLSKITUI_EXPORT void setCornerRadius(Kit::View& view, unsigned corners, double radius, const Kit::Colour& backgroundColor);
QVTOOLSKITUI_EXPORT void setBackgroundColor(Kit::View& view, const Kit::Colour& colour);
QVTOOLSKITUI_EXPORT void removeAllSubviews(Kit::View& view);

} // namespace QVToolsKit
