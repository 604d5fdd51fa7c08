#pragma once

#include "Platform/Kit/KitExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/View.h"

#include <optional>

namespace Kit {

// Shows an image, scaled as asked; a template image takes the content tint (the label colour by default).
class AERLO_KIT_EXPORT ImageView : public View {
public:
    // An image is announced when it is named (a label or a tool tip); otherwise it is decoration.
    AccessibilityRole accessibilityRole() const override
    {
        return accessibilityLabel().empty() ? AccessibilityRole::none : AccessibilityRole::image;
    }

    enum class ImageScaling { proportionallyDown = 0, axesIndependently = 1, none = 2, proportionallyUpOrDown = 3 };
    enum class ImageAlignment { center = 0, top = 1, topLeft = 2, topRight = 3, left = 4, bottom = 5, bottomLeft = 6, bottomRight = 7, right = 8 };

    explicit ImageView(const Rect& frame = {});

    const Image& image() const { return image_; }
    void setImage(Image image);
    ImageScaling imageScaling() const { return scaling_; }
    void setImageScaling(ImageScaling scaling);
    // Where a smaller image sits in the bounds.
    ImageAlignment imageAlignment() const { return alignment_; }
    void setImageAlignment(ImageAlignment alignment);
    std::optional<Colour> contentTintColor() const { return tint_; }
    void setContentTintColor(std::optional<Colour> colour);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // Where the image goes inside the bounds.
    Rect imageRect() const;
    void draw(const Rect& dirtyRect) override;

private:
    Image image_;
    ImageScaling scaling_ = ImageScaling::proportionallyDown;
    ImageAlignment alignment_ = ImageAlignment::center;
    std::optional<Colour> tint_;
    bool enabled_ = true;
};

} // namespace Kit
