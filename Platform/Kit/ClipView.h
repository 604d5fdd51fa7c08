#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

namespace Kit {

// The visible part of a scroll view's document: its bounds origin is the scroll position.
class AERLO_KIT_EXPORT ClipView : public View {
public:
    explicit ClipView(const Rect& frame = {});

    const std::shared_ptr<View>& documentView() const { return documentView_; }
    void setDocumentView(std::shared_ptr<View> view);
    // The origin kept within the document: 0 … document size − clip size on each axis.
    Point constrainBoundsOrigin(Point origin) const;
    void scrollToPoint(Point point);
    // The document's rect that shows.
    Rect documentVisibleRect() const;
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws);
    Colour backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Colour colour);

    // A clip view takes its document's orientation.
    bool isFlipped() const override { return documentView_ && documentView_->isFlipped(); }
    void draw(const Rect& dirtyRect) override;

private:
    std::shared_ptr<View> documentView_;
    bool drawsBackground_ = true;
    Colour backgroundColor_ = Colour::controlBackgroundColor();
};

} // namespace Kit
