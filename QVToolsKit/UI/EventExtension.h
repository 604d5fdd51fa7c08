#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

namespace Kit {
struct Event;
}

namespace QVToolsKit {

// Event tests, as free functions. The modifier tests ignore other modifiers held at the same time; the
// scroll tests answer false for anything but a scroll-wheel event.
QVTOOLSKITUI_EXPORT bool isFunctionPressed(const Kit::Event& event);
QVTOOLSKITUI_EXPORT bool isControlPressed(const Kit::Event& event);
QVTOOLSKITUI_EXPORT bool isOptionPressed(const Kit::Event& event);
QVTOOLSKITUI_EXPORT bool isCommandPressed(const Kit::Event& event);
// A classic wheel: no phase and no precise deltas.
QVTOOLSKITUI_EXPORT bool isMouseScroll(const Kit::Event& event);
QVTOOLSKITUI_EXPORT bool isTrackpadScroll(const Kit::Event& event);
// Precise deltas that move (the end of a gesture does not).
QVTOOLSKITUI_EXPORT bool isTrackpadTwoFingerScroll(const Kit::Event& event);
QVTOOLSKITUI_EXPORT bool isDragEvent(const Kit::Event& event);

} // namespace QVToolsKit
