#include "Platform/Kit/TextFieldCell.h"

#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"

#include <algorithm>

namespace Kit {

namespace {

constexpr double bezelInset = 3;
constexpr double textPadding = 2;

} // namespace

Rect TextFieldCell::titleRect(const Rect& bounds) const
{
    const double inset = bezeled_ || bordered_ ? bezelInset : 0;
    return bounds.insetBy(inset + textPadding, inset);
}

Size TextFieldCell::cellSize() const
{
    const double inset = bezeled_ || bordered_ ? bezelInset : 0;
    const std::string text = stringValue().empty() ? placeholder_ : stringValue();
    if (singleLine_)
        return {font().widthOf(text) + 2 * (inset + textPadding), font().lineHeight() + 2 * inset};
    double width = 0;
    int lines = 0;
    for (std::size_t start = 0;; ++lines) {
        const std::size_t end = text.find('\n', start);
        width = std::max(width, font().widthOf(std::string_view(text).substr(start, end - start)));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {width + 2 * (inset + textPadding), (lines + 1) * font().lineHeight() + 2 * inset};
}

TextLines TextFieldCell::textLines() const
{
    if (singleLine_)
        return TextLines::single;
    switch (lineBreakMode_) {
    case LineBreakMode::byWordWrapping:
        return TextLines::wordWrapping;
    case LineBreakMode::byCharWrapping:
        return TextLines::charWrapping;
    default:
        return TextLines::lineFeeds;
    }
}

bool TextFieldCell::truncatesTail() const
{
    return lineBreakMode_ == LineBreakMode::byTruncatingTail || truncatesLastLine_;
}

void TextFieldCell::draw(const Rect& bounds, bool drawText)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    if (drawsBackground_)
        context->fillRect(bounds, backgroundColor_);
    if (bezeled_ || bordered_)
        context->strokePath(BezierPath::rect(bounds.insetBy(0.5, 0.5)), Colour::separatorColor(), 1);
    if (!drawText)
        return;
    const Rect rect = titleRect(bounds);
    const std::string text = stringValue();
    if (text.empty()) {
        if (!placeholder_.empty())
            context->drawText(placeholder_, rect, placeholderFont_.value_or(font()),
                              placeholderColour_.value_or(textColor_.withAlphaComponent(0.35)), alignment(),
                              truncatesTail(), textLines());
        return;
    }
    Colour colour = textColor_;
    if (backgroundStyle_ == BackgroundStyle::emphasized
        && (colour == Colour::labelColor() || colour == Colour::controlTextColor() || colour == Colour::textColor()))
        colour = Colour::whiteColor();
    context->drawText(text, rect, font(), isEnabled() ? colour : colour.withAlphaComponent(0.4), alignment(),
                      truncatesTail(), textLines());
}

} // namespace Kit
