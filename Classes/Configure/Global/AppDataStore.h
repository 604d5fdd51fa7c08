#pragma once

#include "Platform/Foundation/UserDefaults.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// Typed reads of the standard user-defaults suite, each naming the value to give when the key
// was never written, so that an absent key and a stored false or zero stay apart.
class AppDataStore {
public:
    using Data = Foundation::PropertyListValue::Data;

    // Made on first use, from any thread.
    static AppDataStore& shared();

    // On the standard suite, whichever suite that is at each call.
    AppDataStore() = default;
    explicit AppDataStore(Foundation::UserDefaults& defaults);

    // The suite read and written: the one given, else the standard suite now.
    Foundation::UserDefaults& ud() const;

    bool has(std::string_view key) const;
    void remove(std::string_view key);

    // The default when no object is stored, else the suite's reading (a number reads as a Bool and
    // as an integer; "1" or "YES" reads as true and as 1).
    bool bool_(std::string_view forKey, bool defaultValue) const;
    // The default also when the stored object has no text reading.
    std::string string(std::string_view forKey, std::string_view defaultValue) const;
    int64_t integer(std::string_view forKey, int64_t defaultValue) const;
    // The stored bytes; nothing when absent or not bytes.
    std::optional<Data> data(std::string_view forKey) const;

    template <std::same_as<bool> T>
    void set(T value, std::string_view forKey)
    {
        ud().set(Foundation::PropertyListValue(value), forKey);
    }
    template <std::integral T>
    requires(!std::same_as<T, bool>) void set(T value, std::string_view forKey)
    {
        ud().set(Foundation::PropertyListValue(static_cast<int64_t>(value)), forKey);
    }
    void set(std::string_view value, std::string_view forKey);
    void set(const Data& value, std::string_view forKey);

    // Removes every key of the suite, one by one.
    void removeAll();

private:
    Foundation::UserDefaults* const defaults_ = nullptr;
};

} // namespace Aerlo
