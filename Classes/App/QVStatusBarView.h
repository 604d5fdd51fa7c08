#pragma once

#include "Classes/App/LeftFanSpeedText.h"
#include "Classes/App/RightFanSpeedText.h"
#include "Classes/App/TemperatureText.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/ImageView.h"
#include "Platform/Kit/View.h"

#include <functional>
#include <memory>

namespace Aerlo {

// The status item's view: the fan icon, the two fan speeds and the CPU temperature. The layout pass
// places them for one fan or two (the speeds as wide as their texts at least); arrange places them
// between passes.
class QVStatusBarView : public Kit::View {
public:
    explicit QVStatusBarView(const Kit::Rect& frame);

    std::shared_ptr<Kit::ImageView> icon = std::make_shared<Kit::ImageView>();
    std::shared_ptr<LeftFanSpeedText> leftFanSpeedText = std::make_shared<LeftFanSpeedText>();
    std::shared_ptr<RightFanSpeedText> rightFanSpeedText = std::make_shared<RightFanSpeedText>();
    std::shared_ptr<TemperatureText> temperatureText = std::make_shared<TemperatureText>();
    std::function<void(double)> lengthHandler;
    double textFieldWidth = 45;
    Kit::Font textFont = Kit::Font::systemFont(8);
    double textSize = 8;

    void layout() override;
    void arrange(bool showingFans);

private:
    void layoutTwoFans();
    void layoutOneFan();
};

} // namespace Aerlo
