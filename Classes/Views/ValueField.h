#pragma once

#include "Platform/Kit/TextField.h"

#include <string>

namespace Aerlo {

// A read-only, single-line value, right-aligned in the text colour.
class ValueField : public Kit::TextField {
public:
    ValueField(const Kit::Rect& frame, std::string text);
};

} // namespace Aerlo
