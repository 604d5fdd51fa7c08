#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Control.h"
#include "Platform/Kit/TextFieldCell.h"
#include "Platform/Kit/TextFieldDelegate.h"

#include <memory>

class QLineEdit;

namespace Kit {

// A text field. An editable one carries a field editor (a QLineEdit placed at the cell's titleRect) that
// the user types into; a read-only one is painted. With a formatter, a keystroke that makes a text the
// formatter cannot accept is undone, and a finished text it refuses puts the last good value back.
// The delegate hears of the user's edits only; Return sends the action.
class AERLO_KIT_EXPORT TextField : public Control {
public:
    explicit TextField(const Rect& frame = {});
    ~TextField() override;
    // A read-only, borderless label without background.
    static std::shared_ptr<TextField> labelWithString(std::string text);

    TextFieldCell& textFieldCell() const;
    void setCell(std::shared_ptr<Cell> cell) override;

    void setStringValue(std::string value) override;
    void setDoubleValue(double value) override;
    void setEnabled(bool enabled) override;

    bool isEditable() const { return textFieldCell().isEditable(); }
    void setEditable(bool editable);
    bool isSelectable() const { return textFieldCell().isSelectable(); }
    void setSelectable(bool selectable);
    bool isBezeled() const { return textFieldCell().isBezeled(); }
    void setBezeled(bool bezeled);
    bool isBordered() const { return textFieldCell().isBordered(); }
    void setBordered(bool bordered);
    bool drawsBackground() const { return textFieldCell().drawsBackground(); }
    void setDrawsBackground(bool draws);
    Colour backgroundColor() const { return textFieldCell().backgroundColor(); }
    void setBackgroundColor(Colour colour);
    Colour textColor() const { return textFieldCell().textColor(); }
    void setTextColor(Colour colour);
    const std::string& placeholderString() const { return textFieldCell().placeholderString(); }
    void setPlaceholderString(std::string text);
    void setPlaceholderAttributes(std::optional<Colour> colour, std::optional<Font> font);
    LineBreakMode lineBreakMode() const { return textFieldCell().lineBreakMode(); }
    void setLineBreakMode(LineBreakMode mode);

    TextFieldDelegate* delegate() const { return delegate_; }
    void setDelegate(TextFieldDelegate* delegate) { delegate_ = delegate; }

    // The field editor while the field is editable (null otherwise).
    QLineEdit* fieldEditor() const { return editor_; }
    bool isEditing() const { return editing_; }

    Size intrinsicContentSize() const;
    // The cell's size; wrapped within the width for the wrapping modes outside single-line mode.
    Size sizeThatFits(Size size) const;

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect) override;
    bool acceptsFirstResponder() const override { return isEditable() || isSelectable(); }
    bool becomesFirstResponderOnClick() const override { return acceptsFirstResponder(); }
    // Typing goes to the editor.
    bool becomeFirstResponder() override;
    bool handlesQtMouseEvents() const override { return editor_ != nullptr; }
    // A field to type in is named by its placeholder; a label by its text (an empty one is not announced).
    AccessibilityRole accessibilityRole() const override;
    std::string accessibilityTitle() const override { return isEditable() ? placeholderString() : stringValue(); }
    std::string accessibilityValue() const override { return isEditable() ? stringValue() : std::string(); }

protected:
    void qtGeometryDidChange() override;

private:
    class Editor;
    template <class Value>
    void changeCell(void (TextFieldCell::*setter)(Value), Value value);
    // The cell's value in the editor, as the last good one.
    void showValue();
    void syncEditor();
    void placeEditor();
    void userEdited(const std::string& text);
    void finishEditing(bool sendsAction);
    void focusArrived();

    TextFieldDelegate* delegate_ = nullptr;
    QLineEdit* editor_ = nullptr;
    std::unique_ptr<Editor> editorWatch_;
    std::string lastText_;  // the text before the keystroke being checked
    std::string goodText_;  // the last text the formatter accepted
    bool editing_ = false;
};

} // namespace Kit
