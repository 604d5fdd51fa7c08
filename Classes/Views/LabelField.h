#pragma once

#include "Platform/Kit/TextField.h"

#include <string>

namespace Aerlo {

// A read-only, single-line name in the secondary label colour, cut at its end when too long.
class LabelField : public Kit::TextField {
public:
    LabelField(const Kit::Rect& frame, std::string text);
};

} // namespace Aerlo
