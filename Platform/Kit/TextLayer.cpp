#include "Platform/Kit/TextLayer.h"

#include "Platform/Kit/GraphicsContext.h"

namespace Kit {

void TextLayer::setString(std::string text)
{
    string_ = std::move(text);
    changed();
}

void TextLayer::setFont(std::optional<Font> font)
{
    font_ = std::move(font);
    changed();
}

void TextLayer::setFontSize(double size)
{
    setValue("fontSize", size);
}

void TextLayer::setForegroundColor(std::optional<Colour> colour)
{
    // No colour draws nothing, as clear does.
    setValue("foregroundColor", colour.value_or(Colour::clear()));
}

void TextLayer::setAlignmentMode(TextAlignment alignment)
{
    alignment_ = alignment;
    changed();
}

void TextLayer::drawContent(GraphicsContext& context, const LayerProperties& p) const
{
    if (string_.empty() || !p.foregroundColor || !(p.fontSize > 0))
        return;
    const Font face = font_.value_or(Font::systemFont(p.fontSize)).withSize(p.fontSize);
    context.drawText(string_, p.bounds, face, *p.foregroundColor, alignment_);
}

} // namespace Kit
