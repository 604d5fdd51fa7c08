#pragma once

#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

#include <any>

namespace Kit {

class Responder;
class View;

// A rect of a view that reports the pointer entering, leaving and moving in it.
class AERLO_KIT_EXPORT TrackingArea {
public:
    enum Options : unsigned {
        mouseEnteredAndExited = 0x01,
        mouseMoved = 0x02,
        cursorUpdate = 0x04,
        activeWhenFirstResponder = 0x10,
        activeInKeyWindow = 0x20,
        activeInActiveApp = 0x40,
        activeAlways = 0x80,
        assumeInside = 0x100,
        inVisibleRect = 0x200,
        enabledDuringMouseDrag = 0x400,
    };

    // `owner` (often the view) receives the events; it must outlive the area's use.
    TrackingArea(const Rect& rect, unsigned options, Responder* owner, std::any userInfo = {});

    Rect rect() const { return rect_; }
    unsigned options() const { return options_; }
    Responder* owner() const { return owner_; }
    const std::any& userInfo() const { return userInfo_; }
    View* view() const { return view_; }
    // Whether the pointer was inside at the last move the window saw.
    bool isInside() const { return inside_; }

private:
    friend class View;
    friend class Window;
    Rect rect_;
    unsigned options_;
    Responder* owner_;
    std::any userInfo_;
    View* view_ = nullptr;
    bool inside_ = false;
};

} // namespace Kit
