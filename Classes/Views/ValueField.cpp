#include "Classes/Views/ValueField.h"

#include "Classes/Views/TextView.h"

namespace Aerlo {

ValueField::ValueField(const Kit::Rect& frame, std::string text) : Kit::TextField(frame)
{
    TextView::configureReadOnly(*this, Kit::Colour::textColor(), Kit::TextAlignment::right,
                                Kit::Font::systemFont(13, Kit::Font::Weight::regular));
    textFieldCell().setUsesSingleLineMode(true);
    setStringValue(std::move(text));
}

} // namespace Aerlo
