#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Rect.h"

#include <optional>

namespace Kit {
class TextField;
}

namespace QVToolsKit {

// Text-field operations, as free functions taking the field first. Kit has no layout constraints, no
// truncation tightening and no hosting subviews, so the steps about them do nothing here.

// The placeholder's own colour; none without one, or when the placeholder text is empty.
QVTOOLSKITUI_EXPORT std::optional<Kit::Colour> placeholderTextColor(const Kit::TextField& field);
// Makes the placeholder's attributes the colour alone (none: no attributes).
QVTOOLSKITUI_EXPORT void setPlaceholderTextColor(Kit::TextField& field, std::optional<Kit::Colour> colour);
// In a window, while the field is first responder with a field editor; never outside a window.
QVTOOLSKITUI_EXPORT bool isBeingEdited(const Kit::TextField& field);
// No bezel, the colour as a drawn background, the layer's corners rounded (clipped when radius > 0).
QVTOOLSKITUI_EXPORT void setBackgroundStyle(Kit::TextField& field, const Kit::Colour& colour, double cornerRadius);
QVTOOLSKITUI_EXPORT void setFont(Kit::TextField& field, double size, bool isBold);
QVTOOLSKITUI_EXPORT void setTextColor(Kit::TextField& field, const Kit::Colour& colour);
// The frame's width becomes the intrinsic content width.
QVTOOLSKITUI_EXPORT void sizeToFitWidth(Kit::TextField& field);
// The monospaced-digit system font of the size, and tail truncation.
QVTOOLSKITUI_EXPORT void adjustTextFieldTextSpacing(Kit::TextField& field, double size);
// Word wrapping on several lines: the frame takes the size that fits the width, which it returns.
QVTOOLSKITUI_EXPORT Kit::Size sizeToFitHeight(Kit::TextField& field, double maxWidth);
// The layer's corner radius, border colour and border width (its clipping is left alone).
QVTOOLSKITUI_EXPORT void applyCustomStyle(Kit::TextField& field, double cornerRadius, const Kit::Colour& borderColor, double borderWidth);

} // namespace QVToolsKit
