#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/ClipView.h"

#include <memory>

namespace Kit {

class TableHeaderView;

// A clip view over a document view, with the document's header (a table's) above it. The wheel scrolls the
// clip view (overridable; an event handled here goes no further). Magnification is kept within its range.
class AERLO_KIT_EXPORT ScrollView : public View {
public:
    enum class Elasticity { automatic = 0, none = 1, allowed = 2 };

    explicit ScrollView(const Rect& frame = {});

    ClipView& contentView() const { return *contentView_; }
    std::shared_ptr<View> documentView() const { return contentView_->documentView(); }
    void setDocumentView(std::shared_ptr<View> view);
    Size contentSize() const { return contentView_->frame().size; }
    Rect documentVisibleRect() const { return contentView_->documentVisibleRect(); }

    bool drawsBackground() const { return contentView_->drawsBackground(); }
    void setDrawsBackground(bool draws) { contentView_->setDrawsBackground(draws); }
    Colour backgroundColor() const { return contentView_->backgroundColor(); }
    void setBackgroundColor(Colour colour) { contentView_->setBackgroundColor(std::move(colour)); }
    Elasticity verticalScrollElasticity() const { return verticalElasticity_; }
    void setVerticalScrollElasticity(Elasticity elasticity) { verticalElasticity_ = elasticity; }

    bool allowsMagnification() const { return allowsMagnification_; }
    void setAllowsMagnification(bool allows) { allowsMagnification_ = allows; }
    double magnification() const { return magnification_; }
    // Clamped to minMagnification … maxMagnification.
    void setMagnification(double magnification);
    double minMagnification() const { return minMagnification_; }
    void setMinMagnification(double value);
    double maxMagnification() const { return maxMagnification_; }
    void setMaxMagnification(double value);

    // Makes the scrollers (none are drawn here) follow the clip view.
    void reflectScrolledClipView(ClipView&) {}
    // Places the header and the clip view.
    void tile();

    void scrollWheel(const Event& event) override;
    // The ring of the document view when that has the keyboard focus.
    bool showsFocusRing() const override;
    void setFrameSize(Size size) override;

private:
    TableHeaderView* header() const;

    std::shared_ptr<ClipView> contentView_;
    Elasticity verticalElasticity_ = Elasticity::automatic;
    bool allowsMagnification_ = false;
    double magnification_ = 1;
    double minMagnification_ = 0.25;
    double maxMagnification_ = 4;
};

} // namespace Kit
