#pragma once

#include "Platform/Kit/Event.h"
#include "Platform/Kit/KitExport.h"

namespace Kit {

// Receives events; what a responder does not handle goes to its next responder.
class AERLO_KIT_EXPORT Responder {
public:
    virtual ~Responder() = default;
    virtual Responder* nextResponder() const { return nullptr; }

    virtual void mouseDown(const Event& event);
    virtual void mouseUp(const Event& event);
    virtual void mouseDragged(const Event& event);
    virtual void rightMouseDown(const Event& event);
    virtual void rightMouseUp(const Event& event);
    virtual void otherMouseDown(const Event& event);
    virtual void otherMouseUp(const Event& event);
    virtual void scrollWheel(const Event& event);
    virtual void keyDown(const Event& event);
    virtual void keyUp(const Event& event);
    // Sent to the owners of tracking areas; not passed on.
    virtual void mouseMoved(const Event&) {}
    virtual void mouseEntered(const Event&) {}
    virtual void mouseExited(const Event&) {}
    virtual void cursorUpdate(const Event&) {}

    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }
};

} // namespace Kit
