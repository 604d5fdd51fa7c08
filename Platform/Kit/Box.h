#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/KitExport.h"
#include "Platform/Kit/View.h"

#include <string>

namespace Kit {

// A box: a content view inside margins, drawn as a rounded rectangle with a fill and a border for the
// custom type, or as a line for a separator.
class AERLO_KIT_EXPORT Box : public View {
public:
    enum class BoxType { primary = 0, separator = 2, custom = 4 };
    enum class TitlePosition { noTitle = 0, aboveTop = 1, atTop = 2 };

    explicit Box(const Rect& frame = {});

    BoxType boxType() const { return boxType_; }
    void setBoxType(BoxType type);
    TitlePosition titlePosition() const { return titlePosition_; }
    void setTitlePosition(TitlePosition position);
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    Colour borderColor() const { return borderColor_; }
    void setBorderColor(Colour colour);
    Colour fillColor() const { return fillColor_; }
    void setFillColor(Colour colour);
    bool isTransparent() const { return transparent_; }
    void setTransparent(bool transparent);
    Size contentViewMargins() const { return margins_; }
    void setContentViewMargins(Size margins);

    // Fills the box inside its margins (and follows its size).
    const std::shared_ptr<View>& contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<View> view);

    void draw(const Rect& dirtyRect) override;
    void resizeSubviews(Size oldSize) override;

private:
    Rect contentRect() const;
    template <class Value>
    void store(Value& field, Value value);

    BoxType boxType_ = BoxType::primary;
    TitlePosition titlePosition_ = TitlePosition::atTop;
    std::string title_ = "Title";
    double cornerRadius_ = 0;
    double borderWidth_ = 1;
    Colour borderColor_ = Colour::separatorColor();
    Colour fillColor_ = Colour::clear();
    bool transparent_ = false;
    Size margins_ {5, 5};
    std::shared_ptr<View> contentView_;
};

} // namespace Kit
