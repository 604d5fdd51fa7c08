#include "Classes/Configure/Global/AppDataStore.h"

#include "Platform/Foundation/SharedInstance.h"

namespace Aerlo {

AppDataStore& AppDataStore::shared()
{
    static Foundation::SharedInstance<AppDataStore> store;
    return store.get();
}

AppDataStore::AppDataStore(Foundation::UserDefaults& defaults) : defaults_(&defaults) {}

Foundation::UserDefaults& AppDataStore::ud() const
{
    return defaults_ ? *defaults_ : Foundation::UserDefaults::standard();
}

bool AppDataStore::has(std::string_view key) const { return ud().object(key).has_value(); }

void AppDataStore::remove(std::string_view key) { ud().removeObject(key); }

// One read of the stored object, then the suite's conversion.
bool AppDataStore::bool_(std::string_view forKey, bool defaultValue) const
{
    const auto object = ud().object(forKey);
    return object ? Foundation::UserDefaults::boolReading(*object) : defaultValue;
}

std::string AppDataStore::string(std::string_view forKey, std::string_view defaultValue) const
{
    return ud().string(forKey).value_or(std::string(defaultValue));
}

int64_t AppDataStore::integer(std::string_view forKey, int64_t defaultValue) const
{
    const auto object = ud().object(forKey);
    return object ? Foundation::UserDefaults::integerReading(*object) : defaultValue;
}

std::optional<AppDataStore::Data> AppDataStore::data(std::string_view forKey) const { return ud().data(forKey); }

void AppDataStore::set(std::string_view value, std::string_view forKey)
{
    ud().set(Foundation::PropertyListValue(value), forKey);
}

void AppDataStore::set(const Data& value, std::string_view forKey)
{
    ud().set(Foundation::PropertyListValue(value), forKey);
}

void AppDataStore::removeAll()
{
    for (const auto& [key, value] : ud().dictionaryRepresentation())
        ud().removeObject(key);
}

} // namespace Aerlo
