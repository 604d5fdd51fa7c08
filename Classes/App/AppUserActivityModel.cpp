#include "Classes/App/AppUserActivityModel.h"

#include "Platform/Foundation/Console.h"

namespace Aerlo {

AppUserActivityModel::AppUserActivityModel(Foundation::KeyedUnarchiver& coder)
    : date(coder.decodeString("date")), activity(coder.decodeBool("activity"))
{
    if (!date)
        Foundation::Console::print("Failed to decode 'date' as String");
}

void AppUserActivityModel::encode(Foundation::KeyedArchiver& coder) const
{
    coder.encodeObject(date, "date");
    coder.encodeBool(activity, "activity");
}

} // namespace Aerlo
