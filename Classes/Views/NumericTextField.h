#pragma once

#include "Platform/Kit/Coder.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/TextFieldDelegate.h"

#include <string>

namespace Aerlo {

// An editable field that holds a whole number from 0 to 200, corrected as the user types. The field is its
// own delegate, again each time it takes the focus.
class NumericTextField : public Kit::TextField, private Kit::TextFieldDelegate {
public:
    static constexpr long minimum = 0;
    static constexpr long maximum = 200;

    explicit NumericTextField(const Kit::Rect& frame = {});
    explicit NumericTextField(const Kit::Coder& coder);
    void awakeFromNib();
    bool becomeFirstResponder() override;

    // The text the field shows for a typed text: empty stays empty; a whole number (optional sign, ASCII
    // digits, within 64 bits) is clamped to 0…200 and written plainly; anything else clears the field.
    static std::string filtered(const std::string& text);

private:
    void controlTextDidChange(Kit::TextField& field) override;
};

} // namespace Aerlo
