#include "Classes/Configure/SystemKit/MemorySize.h"

#include "Classes/Configure/Global/QVMemorySizeFormatter.h"

namespace Aerlo {

std::string MemorySize::formatted() const { return QVMemorySizeFormatter::format(value, 1024); }

} // namespace Aerlo
