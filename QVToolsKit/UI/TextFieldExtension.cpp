#include "QVToolsKit/UI/TextFieldExtension.h"

#include "Platform/Kit/Font.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/TextFieldCell.h"
#include "Platform/Kit/Window.h"

#include <limits>

namespace QVToolsKit {

std::optional<Kit::Colour> placeholderTextColor(const Kit::TextField& field)
{
    // An empty placeholder has no first character to carry a colour.
    if (field.placeholderString().empty())
        return std::nullopt;
    return field.textFieldCell().placeholderColor();
}

void setPlaceholderTextColor(Kit::TextField& field, std::optional<Kit::Colour> colour)
{
    field.setPlaceholderAttributes(std::move(colour), std::nullopt);
}

bool isBeingEdited(const Kit::TextField& field)
{
    const Kit::Window* window = field.window();
    return window && field.fieldEditor() && window->firstResponder() == &field;
}

void setBackgroundStyle(Kit::TextField& field, const Kit::Colour& colour, double cornerRadius)
{
    field.setBezeled(false);
    field.setDrawsBackground(true);
    field.setBackgroundColor(colour);
    field.setWantsLayer(true);
    field.layer().setCornerRadius(cornerRadius);
    field.layer().setMasksToBounds(cornerRadius > 0);
}

void setFont(Kit::TextField& field, double size, bool isBold)
{
    field.setFont(isBold ? Kit::Font::boldSystemFont(size) : Kit::Font::systemFont(size));
}

void setTextColor(Kit::TextField& field, const Kit::Colour& colour) { field.setTextColor(colour); }

void sizeToFitWidth(Kit::TextField& field)
{
    field.setFrameSize({field.intrinsicContentSize().width, field.frame().height()});
}

void adjustTextFieldTextSpacing(Kit::TextField& field, double size)
{
    field.setFont(Kit::Font::monospacedDigitSystemFont(size, Kit::Font::Weight::regular));
    field.setLineBreakMode(Kit::LineBreakMode::byTruncatingTail);
}

Kit::Size sizeToFitHeight(Kit::TextField& field, double maxWidth)
{
    field.setLineBreakMode(Kit::LineBreakMode::byWordWrapping);
    field.textFieldCell().setUsesSingleLineMode(false);
    const Kit::Size size = field.sizeThatFits({maxWidth, std::numeric_limits<double>::max()});
    field.setFrameSize(size);
    return size;
}

void applyCustomStyle(Kit::TextField& field, double cornerRadius, const Kit::Colour& borderColor, double borderWidth)
{
    field.setWantsLayer(true);
    field.layer().setCornerRadius(cornerRadius);
    field.layer().setBorderColor(borderColor);
    field.layer().setBorderWidth(borderWidth);
}

} // namespace QVToolsKit
