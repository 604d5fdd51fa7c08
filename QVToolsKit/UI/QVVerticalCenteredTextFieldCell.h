#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/TextFieldCell.h"

#include <string>

namespace QVToolsKit {

// A text-field cell whose text, and the field editor over it, sit centred vertically in the cell.
// Kit draws and edits at the title rectangle, so that one override covers drawing, editing and
// selecting. Install it with setCell before configuring the field.
class QVTOOLSKITUI_EXPORT QVVerticalCenteredTextFieldCell : public Kit::TextFieldCell {
public:
    explicit QVVerticalCenteredTextFieldCell(std::string text = {}) : Kit::TextFieldCell(std::move(text)) {}

    // The base rectangle moved down (the field is flipped) by half of what it is taller than the text;
    // up when the text is taller.
    Kit::Rect titleRect(const Kit::Rect& bounds) const override;
};

} // namespace QVToolsKit
