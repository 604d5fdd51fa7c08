#pragma once

#include "Platform/Kit/Cell.h"
#include "Platform/Kit/Colour.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Rect.h"

#include <optional>
#include <string>

namespace Kit {

// What a cell is drawn on: emphasized is a selection in the accent colour.
enum class BackgroundStyle { normal = 0, emphasized = 1 };

enum class LineBreakMode {
    byWordWrapping = 0,
    byCharWrapping = 1,
    byClipping = 2,
    byTruncatingHead = 3,
    byTruncatingTail = 4,
    byTruncatingMiddle = 5
};

// The cell of a text field: the text's look (colour, background, bezel, line breaking, placeholder) and
// the rectangle the text and the field editor take (titleRect, which subclasses move).
class AERLO_KIT_EXPORT TextFieldCell : public Cell {
public:
    explicit TextFieldCell(std::string text = {}) : Cell(std::move(text)) {}

    // Where the text goes inside `bounds` of the (flipped) field.
    virtual Rect titleRect(const Rect& bounds) const;
    // What the text needs: its widest line and its lines' height (one line in single-line mode), plus the
    // bezel's margins.
    Size cellSize() const;
    // Draws background, bezel and (unless the field editor shows it) the text.
    virtual void draw(const Rect& bounds, bool drawText);

    bool isEditable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable) { selectable_ = selectable; }
    bool isBezeled() const { return bezeled_; }
    void setBezeled(bool bezeled) { bezeled_ = bezeled; }
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered) { bordered_ = bordered; }
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws) { drawsBackground_ = draws; }
    Colour backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Colour colour) { backgroundColor_ = std::move(colour); }
    Colour textColor() const { return textColor_; }
    void setTextColor(Colour colour) { textColor_ = std::move(colour); }
    // On an emphasized background the label colours are drawn white; other colours stay.
    BackgroundStyle backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(BackgroundStyle style) { backgroundStyle_ = style; }
    bool usesSingleLineMode() const { return singleLine_; }
    void setUsesSingleLineMode(bool single) { singleLine_ = single; }
    bool truncatesLastVisibleLine() const { return truncatesLastLine_; }
    void setTruncatesLastVisibleLine(bool truncates) { truncatesLastLine_ = truncates; }
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode) { lineBreakMode_ = mode; }
    const std::string& placeholderString() const { return placeholder_; }
    void setPlaceholderString(std::string text) { placeholder_ = std::move(text); }
    // The placeholder's own colour and font (an attributed placeholder); unset: a dimmed text colour, the font.
    std::optional<Colour> placeholderColor() const { return placeholderColour_; }
    void setPlaceholderColor(std::optional<Colour> colour) { placeholderColour_ = std::move(colour); }
    std::optional<Font> placeholderFont() const { return placeholderFont_; }
    void setPlaceholderFont(std::optional<Font> font) { placeholderFont_ = std::move(font); }
    // The text is cut with an ellipsis at its end when it does not fit.
    bool truncatesTail() const;
    // Line feeds start new lines unless the cell is in single-line mode; the wrapping modes also wrap.
    TextLines textLines() const;

private:
    bool editable_ = true;
    bool selectable_ = true;
    bool bezeled_ = true;
    bool bordered_ = false;
    bool drawsBackground_ = true;
    Colour backgroundColor_ = Colour::controlBackgroundColor();
    Colour textColor_ = Colour::controlTextColor();
    BackgroundStyle backgroundStyle_ = BackgroundStyle::normal;
    bool singleLine_ = false;
    bool truncatesLastLine_ = false;
    LineBreakMode lineBreakMode_ = LineBreakMode::byClipping;
    std::string placeholder_;
    std::optional<Colour> placeholderColour_;
    std::optional<Font> placeholderFont_;
};

} // namespace Kit
