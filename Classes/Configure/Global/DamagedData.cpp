#include "Classes/Configure/Global/DamagedData.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/UserDefaults.h"

#include <string>

namespace Aerlo {

bool DamagedData::keepAside(std::string_view asideKey, const Foundation::PropertyListValue::Data& bytes,
                            std::string_view line)
{
    Foundation::UserDefaults& defaults = Foundation::UserDefaults::standard();
    if (defaults.data(asideKey) == bytes)
        return true;
    if (!defaults.set(Foundation::PropertyListValue(bytes), asideKey))
        return false;
    Foundation::Console::print(std::string(line) + std::string(asideKey));
    return true;
}

} // namespace Aerlo
