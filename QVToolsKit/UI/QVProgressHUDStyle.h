#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"

namespace QVToolsKit {

// The colours of the HUD's text, spinner and box.
class QVTOOLSKITUI_EXPORT QVProgressHUDStyle {
public:
    enum class Kind { custom, light, dark, automatic };

    static QVProgressHUDStyle custom(Kit::Colour foreground, Kit::Colour background)
    {
        return {Kind::custom, std::move(foreground), std::move(background)};
    }
    static QVProgressHUDStyle light() { return {Kind::light, {}, {}}; }
    static QVProgressHUDStyle dark() { return {Kind::dark, {}, {}}; }
    static QVProgressHUDStyle automatic() { return {Kind::automatic, {}, {}}; }

    Kind kind() const { return kind_; }
    // Dark means the application's effective appearance is dark aqua exactly.
    Kit::Colour foregroundColor() const;
    Kit::Colour backgroundColor() const;
    // Compares the kind only: any custom style equals any other.
    bool isEqual(const QVProgressHUDStyle& other) const { return kind_ == other.kind_; }
    // Whether the style draws dark: dark, or automatic under dark aqua.
    bool isDark() const;

private:
    QVProgressHUDStyle(Kind kind, Kit::Colour foreground, Kit::Colour background)
        : kind_(kind), foreground_(std::move(foreground)), background_(std::move(background))
    {
    }

    Kind kind_;
    Kit::Colour foreground_;
    Kit::Colour background_;
};

} // namespace QVToolsKit
