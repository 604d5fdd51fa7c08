#include "Classes/App/AppEventGroupModel.h"

namespace Aerlo {

AppEventGroupModel::AppEventGroupModel(Foundation::KeyedUnarchiver& coder)
    : name(coder.decodeString("name")), totalCount(coder.decodeInteger("totalCount")),
      dataList(coder.decodeArray<AppEventGroupChildModel>("dataList"))
{
}

void AppEventGroupModel::encode(Foundation::KeyedArchiver& coder) const
{
    coder.encodeObject(name, "name");
    coder.encodeInteger(totalCount, "totalCount");
    coder.encodeObject(dataList, "dataList");
}

} // namespace Aerlo
