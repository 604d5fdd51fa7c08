#include "QVToolsKit/QVScrollBarPreferenceManager.h"

#include "Platform/Foundation/RawValueTable.h"
#include "Platform/Foundation/UserDefaults.h"

#include <string>

namespace QVToolsKit {

namespace {

using Mode = QVScrollBarPreferenceManager::QVScrollBarMode;

constexpr Foundation::RawValueTable<Mode, 3> rawValues({"Automatic", "WhenScrolling", "Always"});

bool store(Mode mode)
{
    auto& defaults = Foundation::UserDefaults::standard();
    (void)defaults.set(std::string(rawValues.text(mode)), QVScrollBarPreferenceManager::key);
    return defaults.synchronize();
}

} // namespace

std::string_view QVScrollBarPreferenceManager::rawValue(QVScrollBarMode mode) { return rawValues.text(mode); }

std::optional<QVScrollBarPreferenceManager::QVScrollBarMode>
QVScrollBarPreferenceManager::makeQVScrollBarMode(std::string_view rawValue)
{
    return rawValues.value(rawValue);
}

QVScrollBarPreferenceManager::QVScrollBarMode QVScrollBarPreferenceManager::currentMode()
{
    const auto text = Foundation::UserDefaults::standard().string(key);
    return text ? makeQVScrollBarMode(*text).value_or(QVScrollBarMode::automatic) : QVScrollBarMode::automatic;
}

bool QVScrollBarPreferenceManager::setMode(QVScrollBarMode mode) { return store(mode); }

bool QVScrollBarPreferenceManager::resetToDefault() { return store(QVScrollBarMode::automatic); }

} // namespace QVToolsKit
