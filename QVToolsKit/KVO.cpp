#include "QVToolsKit/KVO.h"

#include <algorithm>

namespace QVToolsKit {

namespace {

std::any entry(const Foundation::KeyValueChange* change, const char* key)
{
    if (!change)
        return {};
    const auto found = change->find(key);
    return found == change->end() ? std::any() : found->second;
}

} // namespace

void KVO::kvo(bool on)
{
    if (on == observing_)
        return;
    observing_ = on;
    for (const std::string& name : getAllProperties(*this)) {
        if (on)
            addObserver(this, name,
                        Foundation::KeyValueObservingOptions::new_ | Foundation::KeyValueObservingOptions::old,
                        nullptr);
        else
            (void)removeObserver(this, name);
    }
}

void KVO::observeValue(const std::optional<std::string>& keyPath, Foundation::Object*,
                       const Foundation::KeyValueChange* change, void*)
{
    if (!keyPath)
        return;
    const auto names = getAllProperties(*this);
    if (std::find(names.begin(), names.end(), *keyPath) == names.end())
        return;
    if (const Handler handler = kvoHandler())
        handler(*keyPath, entry(change, "new"), entry(change, "old"));
}

std::vector<std::string> KVO::getAllProperties(const Foundation::Object& of)
{
    std::vector<std::string> names;
    for (const auto& level : of.propertyLevels())
        names.insert(names.end(), level.begin(), level.end());
    return names;
}

} // namespace QVToolsKit
