#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Foundation/Formatter.h"
#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/StateValue.h"

#include <memory>
#include <string>
#include <variant>

namespace Kit {

class View;

// What a control shows and holds: its value (a number or a text), state, title, font and alignment. A
// control draws and tracks the mouse through its cell; a subclass replaces the cell to change either.
class AERLO_KIT_EXPORT Cell {
public:
    Cell() = default;
    explicit Cell(std::string text) : value_(std::move(text)) {}
    virtual ~Cell() = default;
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;

    // The number of a text value is its leading decimal number (0 when there is none), as the platform reads it.
    virtual double doubleValue() const;
    virtual void setDoubleValue(double value);
    float floatValue() const { return static_cast<float>(doubleValue()); }
    void setFloatValue(float value) { setDoubleValue(value); }
    // Truncated toward zero; 0 for a value that is not a number or beyond the range.
    long integerValue() const;
    // A number as its shortest decimal text, or through the formatter when there is one.
    std::string stringValue() const;
    virtual void setStringValue(std::string value);

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    StateValue state() const { return state_; }
    void setState(StateValue state) { state_ = state; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }
    const Font& font() const { return font_; }
    void setFont(Font font) { font_ = std::move(font); }
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment) { alignment_ = alignment; }
    const std::shared_ptr<Foundation::Formatter>& formatter() const { return formatter_; }
    void setFormatter(std::shared_ptr<Foundation::Formatter> formatter) { formatter_ = std::move(formatter); }

    // The view that shows the cell (set by the control).
    View* controlView() const { return controlView_; }
    void setControlView(View* view) { controlView_ = view; }

private:
    std::variant<double, std::string> value_ = 0.0;
    std::string title_;
    StateValue state_ = StateValue::off;
    bool enabled_ = true;
    bool highlighted_ = false;
    bool continuous_ = false;
    Font font_ = Font::systemFont(Font::systemFontSize);
    TextAlignment alignment_ = TextAlignment::natural;
    std::shared_ptr<Foundation::Formatter> formatter_;
    View* controlView_ = nullptr;
};

} // namespace Kit
