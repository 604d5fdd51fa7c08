#pragma once

#include "Platform/Kit/CompositingOperation.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/Layer.h"

#include <string>

namespace Kit {

// A line of text laid out from the top of the layer's bounds.
class AERLO_KIT_EXPORT TextLayer : public Layer {
public:
    enum class TruncationMode { none, start, middle, end };

    const std::string& string() const { return string_; }
    void setString(std::string text);
    // The font's face; its size comes from fontSize.
    const Font& font() const { return font_; }
    void setFont(const Font& font);
    double fontSize() const { return model().fontSize; }
    void setFontSize(double size);
    std::optional<Colour> foregroundColor() const { return model().foregroundColor; }
    void setForegroundColor(std::optional<Colour> colour);
    TextAlignment alignmentMode() const { return alignment_; }
    void setAlignmentMode(TextAlignment alignment);
    TruncationMode truncationMode() const { return truncation_; }
    void setTruncationMode(TruncationMode mode);

protected:
    void drawContent(GraphicsContext& context, const LayerProperties& presentation) const override;

private:
    std::string string_;
    Font font_;
    TextAlignment alignment_ = TextAlignment::natural;
    TruncationMode truncation_ = TruncationMode::none;
};

} // namespace Kit
