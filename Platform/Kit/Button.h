#pragma once

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/Control.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/KitExport.h"

#include <optional>
#include <string>

namespace Kit {

// A push button, toggle, check box or radio button. A press highlights it while the pointer stays inside;
// a release inside advances the state of the kinds that keep one and then sends the action.
class AERLO_KIT_EXPORT Button : public Control {
public:
    enum class ButtonType {
        momentaryLight = 0,
        pushOnPushOff = 1,
        toggle = 2,
        switch_ = 3, // check box
        radio = 4,
        momentaryChange = 5,
        onOff = 6,
        momentaryPushIn = 7,
    };
    enum class BezelStyle {
        rounded = 1,
        regularSquare = 2,
        smallSquare = 10,
        texturedRounded = 11,
        recessed = 13,
        inline_ = 15
    };
    enum class ImagePosition {
        noImage = 0,
        imageOnly = 1,
        imageLeft = 2,
        imageRight = 3,
        imageBelow = 4,
        imageAbove = 5,
        imageOverlaps = 6
    };

    explicit Button(const Rect& frame = {});
    static std::shared_ptr<Button> button(std::string title, Action action = {});
    static std::shared_ptr<Button> checkbox(std::string title, Action action = {});
    static std::shared_ptr<Button> radioButton(std::string title, Action action = {});

    const std::string& title() const { return cell().title(); }
    virtual void setTitle(std::string title);
    const Image& image() const { return image_; }
    void setImage(Image image);
    ImagePosition imagePosition() const { return imagePosition_; }
    void setImagePosition(ImagePosition position);
    std::optional<Colour> contentTintColor() const { return contentTintColor_; }
    void setContentTintColor(std::optional<Colour> colour);
    ButtonType buttonType() const { return type_; }
    void setButtonType(ButtonType type);
    BezelStyle bezelStyle() const { return bezelStyle_; }
    void setBezelStyle(BezelStyle style);
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered);
    StateValue state() const { return cell().state(); }
    void setState(StateValue state);
    bool allowsMixedState() const { return allowsMixedState_; }
    void setAllowsMixedState(bool allows) { allowsMixedState_ = allows; }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
    // Whether the kind keeps an on/off state that a click advances.
    bool keepsState() const;

    // As if the user clicked: advances the state and sends the action (when enabled).
    bool performClick() override;

    void draw(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    void mouseTrackingCancelled() override;

    bool acceptsFirstResponder() const override { return isEnabled(); }
    // Round the check box, or round the bezel.
    Rect focusRingMaskBounds() const override;
    double focusRingCornerRadius() const override;
    AccessibilityRole accessibilityRole() const override;
    std::string accessibilityTitle() const override { return title(); }

protected:
    // The look of the kinds: bezel, check box, radio; title and image.
    void drawBezel(const Rect& rect);
    void drawCheck(const Rect& box);
    void drawTitleAndImage(const Rect& rect);

private:
    bool contains(const Event& event) const;
    bool isCheckKind() const { return type_ == ButtonType::switch_ || type_ == ButtonType::radio; }
    Rect checkBoxRect() const;
    double bezelRadius(const Rect& body) const;
    void advanceState();

    Image image_;
    ImagePosition imagePosition_ = ImagePosition::imageLeft;
    std::optional<Colour> contentTintColor_;
    ButtonType type_ = ButtonType::momentaryPushIn;
    BezelStyle bezelStyle_ = BezelStyle::rounded;
    bool bordered_ = true;
    bool allowsMixedState_ = false;
    std::string keyEquivalent_;
    bool pressed_ = false;
};

} // namespace Kit
