#pragma once

#include "Platform/Kit/Button.h"
#include "Platform/Kit/KitExport.h"

namespace Kit {

class StatusItem;

// The button of a status item: borderless, its image (a template image takes the label colour) and title
// side by side, subviews on top. Its window is the status item's window.
class AERLO_KIT_EXPORT StatusBarButton : public Button {
public:
    explicit StatusBarButton(StatusItem& item);

    StatusItem& statusItem() const { return item_; }
    bool appearsDisabled() const { return appearsDisabled_; }
    void setAppearsDisabled(bool disabled);

    void draw(const Rect& dirtyRect) override;

private:
    StatusItem& item_;
    bool appearsDisabled_ = false;
};

} // namespace Kit
