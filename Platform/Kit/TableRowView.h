#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/TextFieldCell.h"
#include "Platform/Kit/View.h"

namespace Kit {

enum class TableViewSelectionHighlightStyle { none = -1, regular = 0, sourceList = 1 };

// The view behind one row of a table: it draws the row's background and, when the row is selected, its
// selection; the row's cell views are its subviews.
class AERLO_KIT_EXPORT TableRowView : public View {
public:
    explicit TableRowView(const Rect& frame = {});

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    virtual bool isEmphasized() const { return emphasized_; }
    virtual void setEmphasized(bool emphasized);
    TableViewSelectionHighlightStyle selectionHighlightStyle() const { return highlightStyle_; }
    void setSelectionHighlightStyle(TableViewSelectionHighlightStyle style);

    // Emphasized while selected with an emphasized selection; handed to the row's cells.
    BackgroundStyle interiorBackgroundStyle() const;

    // Background first, then the selection when selected (and the style is not none).
    void draw(const Rect& dirtyRect) override;
    virtual void drawBackground(const Rect& dirtyRect);
    virtual void drawSelection(const Rect& dirtyRect);

    bool isFlipped() const override { return true; }
    void didAddSubview(View* subview) override;
    // Named by the texts in its cells.
    AccessibilityRole accessibilityRole() const override { return AccessibilityRole::row; }
    std::string accessibilityTitle() const override;

private:
    void updateCellBackgroundStyles();

    bool selected_ = false;
    bool emphasized_ = true;
    TableViewSelectionHighlightStyle highlightStyle_ = TableViewSelectionHighlightStyle::regular;
};

} // namespace Kit
