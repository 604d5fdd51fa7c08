#include "Classes/Views/LabelField.h"

#include "Classes/Views/TextView.h"

namespace Aerlo {

LabelField::LabelField(const Kit::Rect& frame, std::string text) : Kit::TextField(frame)
{
    TextView::configureReadOnly(*this, Kit::Colour::secondaryLabelColor(), Kit::TextAlignment::natural,
                                Kit::Font::systemFont(12, Kit::Font::Weight::regular));
    textFieldCell().setUsesSingleLineMode(true);
    textFieldCell().setTruncatesLastVisibleLine(true);
    setStringValue(std::move(text));
}

} // namespace Aerlo
