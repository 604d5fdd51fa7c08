#include "Platform/Kit/Responder.h"

namespace Kit {

#define KIT_FORWARD(name)                                                                                              \
    void Responder::name(const Event& event)                                                                           \
    {                                                                                                                  \
        if (Responder* next = nextResponder())                                                                         \
            next->name(event);                                                                                         \
    }

KIT_FORWARD(mouseDown)
KIT_FORWARD(mouseUp)
KIT_FORWARD(mouseDragged)
KIT_FORWARD(rightMouseDown)
KIT_FORWARD(rightMouseUp)
KIT_FORWARD(otherMouseDown)
KIT_FORWARD(otherMouseUp)
KIT_FORWARD(scrollWheel)
KIT_FORWARD(keyDown)
KIT_FORWARD(keyUp)

#undef KIT_FORWARD

} // namespace Kit
