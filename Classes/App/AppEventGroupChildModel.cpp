#include "Classes/App/AppEventGroupChildModel.h"

namespace Aerlo {

AppEventGroupChildModel::AppEventGroupChildModel(Foundation::KeyedUnarchiver& coder)
    : date(coder.decodeString("date")), events(coder.decodeArray<AppEventGroupEventModel>("events"))
{
}

void AppEventGroupChildModel::encode(Foundation::KeyedArchiver& coder) const
{
    coder.encodeObject(date, "date");
    coder.encodeObject(events, "events");
}

} // namespace Aerlo
