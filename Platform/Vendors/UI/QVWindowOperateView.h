#pragma once

#include "Platform/Kit/View.h"

#include <functional>
#include <vector>

namespace Vendors {

// A strip of round window buttons drawn on Kit: 12-point circles 9.5 apart, centred in the strip's
// height, their glyphs shown while the pointer is over the strip. A click on a circle calls the action
// with its code: 0 close, 1 miniaturise, 2 enter full screen, 3 leave it.
class QVWindowOperateView : public Kit::View {
public:
    enum class ButtonType { close = 0, miniaturize = 1, fullScreen = 2 };
    using Action = std::function<void(int code)>;

    static constexpr double diameter = 12;
    static constexpr double spacing = 9.5;

    QVWindowOperateView(std::vector<ButtonType> buttonTypes, bool isFullScreenDisabled);

    const std::vector<ButtonType>& buttonTypes() const { return buttonTypes_; }
    void setAction(Action action) { action_ = std::move(action); }
    // The circle of the button at `index`, in the strip's coordinates.
    Kit::Rect rectOfButton(std::size_t index) const;
    bool isHovering() const { return hovering_; }

    void draw(const Kit::Rect& dirtyRect) override;
    void mouseDown(const Kit::Event& event) override;
    void mouseUp(const Kit::Event& event) override;
    void mouseTrackingCancelled() override;
    void updateTrackingAreas() override;
    void mouseEntered(const Kit::Event& event) override;
    void mouseExited(const Kit::Event& event) override;

private:
    long buttonAt(Kit::Point point) const;
    void drawGlyph(ButtonType type, const Kit::Rect& circle) const;

    std::vector<ButtonType> buttonTypes_;
    bool fullScreenDisabled_;
    bool inFullScreen_ = false;
    bool hovering_ = false;
    long pressed_ = -1;
    Action action_;
};

} // namespace Vendors
