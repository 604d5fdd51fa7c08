#include "Classes/Views/FanSpeedReadout.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Kit/ImageView.h"
#include "QVToolsKit/UI/ViewAnimations.h"

#include <map>
#include <string>

namespace Aerlo {

std::optional<long> FanSpeedReadout::integerOf(const std::any& value)
{
    if (const auto* v = std::any_cast<int>(&value))
        return *v;
    if (const auto* v = std::any_cast<long>(&value))
        return *v;
    if (const auto* v = std::any_cast<long long>(&value))
        return static_cast<long>(*v);
    return std::nullopt;
}

std::optional<std::vector<long>> FanSpeedReadout::speeds(const Foundation::UserInfo& info,
    const std::vector<std::string_view>& keys, std::string_view missingLine)
{
    std::map<std::string, long> values;
    for (const auto& [key, value] : info) {
        const auto integer = integerOf(value);
        if (!integer) {
            Foundation::Console::print("无法将 userInfo 转为 [String: Int]，提前退出");
            return std::nullopt;
        }
        values[key] = *integer;
    }
    std::vector<long> speeds;
    for (std::string_view key : keys) {
        const auto found = values.find(std::string(key));
        if (found == values.end()) {
            Foundation::Console::print(missingLine);
            return std::nullopt;
        }
        speeds.push_back(found->second);
    }
    return speeds;
}

void FanSpeedReadout::spin(Kit::View& image, long speed, double period)
{
    const bool paused = image.layer().speed() == 0;
    if (speed < 1) {
        if (!paused)
            QVToolsKit::pauseAnimation(image);
        return;
    }
    if (paused)
        QVToolsKit::resumeAnimation(image);
    QVToolsKit::rotateUnlessRunning(image, period);
}

std::shared_ptr<Kit::ImageView> FanSpeedReadout::makeFanImage(const Kit::Rect& frame)
{
    Kit::Image fan = Kit::Image::named("fan.fill");
    fan.setTemplate(true);
    auto image = std::make_shared<Kit::ImageView>(frame);
    image->setImage(fan);
    image->setImageScaling(Kit::ImageView::ImageScaling::proportionallyUpOrDown);
    image->setContentTintColor(Kit::Colour::controlAccentColor());
    return image;
}

} // namespace Aerlo
