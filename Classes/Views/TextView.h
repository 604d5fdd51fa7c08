#pragma once

#include "Platform/Kit/TextField.h"

namespace Aerlo {

// A read-only title in the label colour.
class TextView : public Kit::TextField {
public:
    explicit TextView(const Kit::Rect& frame);

    // Not editable, selectable or bezeled; layer-backed; a clear background.
    static void configureReadOnly(Kit::TextField& field);
};

} // namespace Aerlo
