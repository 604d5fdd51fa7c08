#include "QVToolsKit/UI/EventExtension.h"

#include "Platform/Kit/Event.h"

namespace QVToolsKit {

namespace {

bool has(const Kit::Event& event, unsigned flag) { return (event.modifierFlags & flag) != 0; }
bool isScroll(const Kit::Event& event) { return event.type == Kit::Event::Type::scrollWheel; }

} // namespace

bool isFunctionPressed(const Kit::Event& event) { return has(event, Kit::Event::function); }
bool isControlPressed(const Kit::Event& event) { return has(event, Kit::Event::control); }
bool isOptionPressed(const Kit::Event& event) { return has(event, Kit::Event::option); }
bool isCommandPressed(const Kit::Event& event) { return has(event, Kit::Event::command); }

bool isMouseScroll(const Kit::Event& event)
{
    return isScroll(event) && event.phase == Kit::Event::phaseNone && !event.hasPreciseScrollingDeltas;
}

bool isTrackpadScroll(const Kit::Event& event) { return isScroll(event) && event.hasPreciseScrollingDeltas; }

bool isTrackpadTwoFingerScroll(const Kit::Event& event)
{
    return isTrackpadScroll(event) && (event.scrollingDeltaX != 0 || event.scrollingDeltaY != 0);
}

bool isDragEvent(const Kit::Event& event) { return event.type == Kit::Event::Type::leftMouseDragged; }

} // namespace QVToolsKit
