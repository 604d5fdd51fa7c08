#pragma once

namespace Kit {

enum class CompositingOperation {
    clear,
    copy,
    sourceOver,
    sourceIn,
    sourceOut,
    sourceAtop,
    destinationOver,
    destinationIn,
    destinationOut,
    destinationAtop,
    xor_,
    plusLighter,
};

enum class TextAlignment { left, right, center, justified, natural };

} // namespace Kit
