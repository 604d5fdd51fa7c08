#pragma once

#include "Platform/Foundation/NumberText.h"

namespace Aerlo {

using NumberText = Foundation::NumberText;

} // namespace Aerlo
