#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Rect.h"
#include "QVToolsKit/QVProgressHUDMode.h"
#include "QVToolsKit/QVProgressHUDPosition.h"

#include <optional>

namespace QVToolsKit {

// The geometry of the HUD's box and of its content, computed from the host's size (y up).
struct QVTOOLSKITUI_EXPORT QVProgressHUDLayout {
    struct Input {
        Kit::Size host;         // W, H
        double margin = 18;     // m
        double padding = 4;     // p
        double spinnerSize = 60;
        QVProgressHUDMode::Kind mode = QVProgressHUDMode::Kind::indeterminate;
        std::optional<Kit::Size> indicator; // none without an indicator view
        Kit::Size text;         // the measured one-line text; zero for an empty text
        QVProgressHUDPosition position = QVProgressHUDPosition::center;
    };

    std::optional<Kit::Rect> indicatorFrame;
    Kit::Rect labelFrame;
    Kit::Size size; // the box's width and height
    Kit::Rect box;  // where the box is drawn

    static QVProgressHUDLayout compute(const Input& input);
};

} // namespace QVToolsKit
