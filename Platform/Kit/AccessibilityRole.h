#pragma once

namespace Kit {

// What a view is to assistive technology. `none`: the view is not an element of its own (a plain container,
// a decoration); what it holds is announced without it.
enum class AccessibilityRole {
    none,
    group,
    button,
    checkBox,
    radioButton,
    switch_,
    popUpButton,
    slider,
    segmentedControl,
    staticText,
    textField,
    image,
    table,
    row,
};

} // namespace Kit
