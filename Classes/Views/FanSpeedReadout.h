#pragma once

#include "Platform/Foundation/Notification.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace Kit {
class ImageView;
class View;
struct Rect;
}

namespace Aerlo {

// What the fan readouts share: the speeds a control tick posts, and the turn of a fan picture.
class FanSpeedReadout {
public:
    // The integers under `keys`, in order. A value that is no integer prints "无法将 userInfo 转为 [String: Int]，
    // 提前退出", a missing key prints `missingLine`; both give nothing.
    static std::optional<std::vector<long>>
    speeds(const Foundation::UserInfo& info, const std::vector<std::string_view>& keys, std::string_view missingLine);
    // An int, long or long long; nothing for any other value.
    static std::optional<long> integerOf(const std::any& value);

    // Below 1 rpm the turn pauses where it is; otherwise a paused turn resumes from that angle and the
    // picture turns once per `period` seconds (a running turn of that period goes on undisturbed).
    static void spin(Kit::View& image, long speed, double period);
    // The fan picture of a readout, in the accent colour.
    static std::shared_ptr<Kit::ImageView> makeFanImage(const Kit::Rect& frame);
};

} // namespace Aerlo
