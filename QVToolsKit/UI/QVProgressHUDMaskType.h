#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"

namespace QVToolsKit {

// What the HUD draws behind its box, and whether clicks pass through: only none lets them on.
class QVTOOLSKITUI_EXPORT QVProgressHUDMaskType {
public:
    enum class Kind { custom, none, clear, black };

    static QVProgressHUDMaskType custom(Kit::Colour colour) { return {Kind::custom, std::move(colour)}; }
    static QVProgressHUDMaskType none() { return {Kind::none, {}}; }
    static QVProgressHUDMaskType clear() { return {Kind::clear, {}}; }
    static QVProgressHUDMaskType black() { return {Kind::black, {}}; }

    Kind kind() const { return kind_; }
    // The custom mask's colour.
    const Kit::Colour& colour() const { return colour_; }

private:
    QVProgressHUDMaskType(Kind kind, Kit::Colour colour) : kind_(kind), colour_(std::move(colour)) {}

    Kind kind_;
    Kit::Colour colour_;
};

} // namespace QVToolsKit
