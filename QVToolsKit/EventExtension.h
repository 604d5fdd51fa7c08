#pragma once

namespace Kit {
struct Event;
}

namespace QVToolsKit {

// Event tests, as free functions. The modifier tests ignore other modifiers held at the same time; the
// scroll tests answer false for anything but a scroll-wheel event.
bool isFunctionPressed(const Kit::Event& event);
bool isControlPressed(const Kit::Event& event);
bool isOptionPressed(const Kit::Event& event);
bool isCommandPressed(const Kit::Event& event);
// A classic wheel: no phase and no precise deltas.
bool isMouseScroll(const Kit::Event& event);
bool isTrackpadScroll(const Kit::Event& event);
// Precise deltas that move (the end of a gesture does not).
bool isTrackpadTwoFingerScroll(const Kit::Event& event);
bool isDragEvent(const Kit::Event& event);

} // namespace QVToolsKit
