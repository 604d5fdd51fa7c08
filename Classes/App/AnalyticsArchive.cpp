#include "Classes/App/AnalyticsArchive.h"

#include "Classes/Configure/Global/DamagedData.h"
#include "Platform/Foundation/UserDefaults.h"

namespace Aerlo {

namespace {

using Foundation::KeyedArchiver;
using Foundation::KeyedUnarchiver;
using Foundation::Result;

template <class Record>
Result<std::optional<std::vector<Record>>> load(std::string_view key, std::string_view asideKey,
                                                const KeyedUnarchiver::Classes& allowed)
{
    const auto data = Foundation::UserDefaults::standard().data(key);
    if (!data)
        return std::optional<std::vector<Record>>();
    auto records = KeyedUnarchiver::unarchivedArray<Record>(allowed, *data);
    if (!records || !records.value())
        (void)DamagedData::keepAside(asideKey, *data, "无法解码的统计数据已保存到 ");
    return records;
}

template <class Record>
Result<void> save(std::string_view key, const std::vector<Record>& records)
{
    auto data = KeyedArchiver::archivedData(records);
    if (!data)
        return Foundation::Error(data.error());
    if (!Foundation::UserDefaults::standard().set(std::move(data).value(), key))
        return Foundation::Error(std::string(AnalyticsArchive::unsavedData));
    return {};
}

} // namespace

Result<std::optional<std::vector<AppUserActivityModel>>> AnalyticsArchive::loadActivityList()
{
    return load<AppUserActivityModel>(
        userActivityKey, userActivityAsideKey,
        {std::string(KeyedArchiver::arrayClassName), std::string(AppUserActivityModel::className)});
}

Result<void> AnalyticsArchive::saveActivityList(const std::vector<AppUserActivityModel>& list)
{
    return save(userActivityKey, list);
}

Result<std::optional<std::vector<AppEventGroupModel>>> AnalyticsArchive::loadEventGroups()
{
    return load<AppEventGroupModel>(
        eventGroupKey, eventGroupAsideKey,
        {std::string(KeyedArchiver::arrayClassName), std::string(AppEventGroupModel::className),
         std::string(AppEventGroupChildModel::className), std::string(AppEventGroupEventModel::className)});
}

Result<void> AnalyticsArchive::saveEventGroups(const std::vector<AppEventGroupModel>& groups)
{
    return save(eventGroupKey, groups);
}

} // namespace Aerlo
