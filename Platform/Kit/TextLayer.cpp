#include "Platform/Kit/TextLayer.h"

#include "Platform/Kit/GraphicsContext.h"

namespace Kit {

void TextLayer::setString(std::string text)
{
    string_ = std::move(text);
    changed();
}

void TextLayer::setFont(const Font& font)
{
    font_ = font;
    changed();
}

void TextLayer::setFontSize(double size)
{
    setModel("fontSize", [&](auto& m) { m.fontSize = size; });
}

void TextLayer::setForegroundColor(std::optional<Colour> colour)
{
    setModel("foregroundColor", [&](auto& m) { m.foregroundColor = colour; });
}

void TextLayer::setAlignmentMode(TextAlignment alignment)
{
    alignment_ = alignment;
    changed();
}

void TextLayer::setTruncationMode(TruncationMode mode)
{
    truncation_ = mode;
    changed();
}

void TextLayer::drawContent(GraphicsContext& context, const LayerProperties& p) const
{
    if (string_.empty() || !p.foregroundColor)
        return;
    context.drawText(string_, p.bounds, font_.withSize(p.fontSize), *p.foregroundColor, alignment_,
                     truncation_ != TruncationMode::none);
}

} // namespace Kit
