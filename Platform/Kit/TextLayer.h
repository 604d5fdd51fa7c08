#pragma once

#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/Layer.h"

#include <optional>
#include <string>

namespace Kit {

// A layer that draws one text from the top of its bounds, in its font at the layer's font size and in its
// foreground colour (both animatable).
class TextLayer : public Layer {
public:
    const std::string& string() const { return string_; }
    void setString(std::string text);
    // The face; the size comes from fontSize.
    const std::optional<Font>& font() const { return font_; }
    void setFont(std::optional<Font> font);
    double fontSize() const { return model().fontSize; }
    void setFontSize(double size);
    std::optional<Colour> foregroundColor() const { return model().foregroundColor; }
    void setForegroundColor(std::optional<Colour> colour);
    TextAlignment alignmentMode() const { return alignment_; }
    void setAlignmentMode(TextAlignment alignment);

protected:
    void drawContent(GraphicsContext& context, const LayerProperties& presentation) const override;

private:
    std::string string_;
    std::optional<Font> font_;
    TextAlignment alignment_ = TextAlignment::natural;
};

} // namespace Kit
