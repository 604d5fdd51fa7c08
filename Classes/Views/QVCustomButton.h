#pragma once

#include "Classes/Views/TrackingArea.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/Coder.h"
#include "Platform/Kit/TextLayer.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace Aerlo {

// A push button drawn with layers: background, border and shadow with a normal and an active look (the
// active one while the state is on), and a text layer for the title. A press shows the active look until
// the release, which sends the action to the target.
class QVCustomButton : public Kit::Button {
public:
    using ColorGenerator = std::function<Kit::Colour()>;

    explicit QVCustomButton(const Kit::Rect& frame = {});
    explicit QVCustomButton(const Kit::Coder& coder);
    ~QVCustomButton() override;
    void awakeFromNib() {}

    // A round button of the given radius about `center`, its title in a font two thirds of the radius × 2.
    static std::shared_ptr<QVCustomButton> circleButton(std::string title, double radius, Kit::Point center);

    const std::shared_ptr<Kit::TextLayer>& titleLayer() const { return titleLayer_; }
    bool isMouseDown() const { return isMouseDown_; }

    // Inspectable properties; each applies at once (the active ones only while the state is on).
    const Kit::Colour& textColor() const { return textColor_; }
    void setTextColor(Kit::Colour colour);
    const Kit::Colour& activeTextColor() const { return activeTextColor_; }
    void setActiveTextColor(Kit::Colour colour);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    bool hasContinuousCorners() const { return hasContinuousCorners_; }
    void setHasContinuousCorners(bool continuous);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    const Kit::Colour& borderColor() const { return borderColor_; }
    void setBorderColor(Kit::Colour colour);
    const Kit::Colour& activeBorderColor() const { return activeBorderColor_; }
    void setActiveBorderColor(Kit::Colour colour);
    const Kit::Colour& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Kit::Colour colour);
    const Kit::Colour& activeBackgroundColor() const { return activeBackgroundColor_; }
    void setActiveBackgroundColor(Kit::Colour colour);
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius);
    // -1: the active look uses shadowRadius.
    double activeShadowRadius() const { return activeShadowRadius_; }
    void setActiveShadowRadius(double radius);
    double shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(double opacity);
    // -1: the active look uses shadowOpacity.
    double activeShadowOpacity() const { return activeShadowOpacity_; }
    void setActiveShadowOpacity(double opacity);
    const Kit::Colour& shadowColor() const { return shadowColor_; }
    void setShadowColor(Kit::Colour colour);
    // None: the active look uses shadowColor.
    const std::optional<Kit::Colour>& activeShadowColor() const { return activeShadowColor_; }
    void setActiveShadowColor(std::optional<Kit::Colour> colour);

    // The title and font re-measure and re-centre the title layer.
    void setTitle(std::string title) override;
    void setFont(Kit::Font font) override;
    void setEnabled(bool enabled) override;

    // Colour providers by the key path of a colour property; they win over the stored colours.
    ColorGenerator colorGenerator(const std::string& keyPath) const;
    void setColorGenerator(const std::string& keyPath, ColorGenerator generator);

    virtual void setupLayer();
    virtual void updateTitle();
    virtual void layoutTitle();
    // Animates to the look of the current state: 0.2 s to the active look, 0.1 s back.
    virtual void updateStateAppearance();
    // Animates one colour property of `layer` to `colour`; the model takes the colour when the animation stops.
    static void animateLayer(Kit::Layer& layer, const std::string& keyPath, const Kit::Colour& colour, double duration);

    const TrackingArea& trackingArea();

    bool wantsUpdateLayer() const override { return true; }
    void updateLayer() override;
    void draw(const Kit::Rect&) override {}
    void layout() override;
    Kit::View* hitTest(Kit::Point point) override;
    void viewDidChangeBackingProperties() override;
    void updateTrackingAreas() override;
    void mouseDown(const Kit::Event& event) override;
    void mouseUp(const Kit::Event& event) override;
    void mouseDragged(const Kit::Event&) override {}
    void mouseEntered(const Kit::Event& event) override;
    void mouseExited(const Kit::Event& event) override;
    void mouseTrackingCancelled() override;

private:
    bool isOn() const { return state() == Kit::StateValue::on; }
    void toggle();
    Kit::Colour generated(const std::string& keyPath, const Kit::Colour& stored) const;

    std::shared_ptr<Kit::TextLayer> titleLayer_ = std::make_shared<Kit::TextLayer>();
    bool isMouseDown_ = false;
    Kit::Colour textColor_ = Kit::Colour::labelColor();
    Kit::Colour activeTextColor_ = Kit::Colour::labelColor();
    double cornerRadius_ = 0;
    bool hasContinuousCorners_ = true;
    double borderWidth_ = 0;
    Kit::Colour borderColor_ = Kit::Colour::clear();
    Kit::Colour activeBorderColor_ = Kit::Colour::clear();
    Kit::Colour backgroundColor_ = Kit::Colour::clear();
    Kit::Colour activeBackgroundColor_ = Kit::Colour::clear();
    double shadowRadius_ = 0;
    double activeShadowRadius_ = -1;
    double shadowOpacity_ = 0;
    double activeShadowOpacity_ = -1;
    Kit::Colour shadowColor_ = Kit::Colour::clear();
    std::optional<Kit::Colour> activeShadowColor_;
    std::optional<TrackingArea> trackingArea_;
    std::map<std::string, ColorGenerator> colorGenerators_;
};

} // namespace Aerlo
