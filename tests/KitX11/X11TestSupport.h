#pragma once

#include <QPoint>

#include <functional>

namespace X11TestSupport {

// Processes Qt events until `condition` holds or `seconds` of real time have passed; the condition's last answer.
bool waitUntil(const std::function<bool()>& condition, double seconds = 5.0);
// Moves the real pointer to the global (Qt, y-down) point and clicks the left button there, through xdotool.
bool clickAt(QPoint globalPoint);

} // namespace X11TestSupport
