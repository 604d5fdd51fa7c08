#include "Classes/App/AppEventGroupEventModel.h"

namespace Aerlo {

AppEventGroupEventModel::AppEventGroupEventModel(Foundation::KeyedUnarchiver& coder)
    : event(coder.decodeString("event")), count(coder.decodeInteger("count"))
{
}

void AppEventGroupEventModel::encode(Foundation::KeyedArchiver& coder) const
{
    coder.encodeObject(event, "event");
    coder.encodeInteger(count, "count");
}

} // namespace Aerlo
