#pragma once

#include "Platform/Foundation/RawValueTable.h"

namespace Aerlo {

using Foundation::RawValueTable;

} // namespace Aerlo
