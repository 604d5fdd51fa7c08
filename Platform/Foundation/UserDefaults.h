#pragma once

#include "Platform/Foundation/FileWatcher.h"
#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/TestAccess.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// The user-defaults store: one suite per name, kept in "<suite>.plist" (our tagged JSON) under
// Paths::preferences(). Every write re-reads the file under an exclusive lock on "<suite>.plist.lock",
// applies the change and replaces the file atomically, so processes writing different keys of one suite
// lose nothing. Reads come from memory: the suite file is watched (FileWatcher), and a read after the
// file changed checks it (one stat) and reloads it when another process replaced it, so a change made
// elsewhere shows within moments; synchronize() checks at once. Where the file cannot be watched, every
// read checks it. A file that cannot be read (not our JSON, a NUL byte, data after the value) is moved
// aside with one printed line, and the suite starts empty; a file above maximumFileSize is left as it is,
// said in one line, reads as empty and is never written.
// The standard suite's reads fall back to the global domain (".GlobalPreferences.plist" beside it), which
// this store only reads.
// Thread safe. Instances live as long as the process, so references and pointers stay valid.
class AERLO_FOUNDATION_EXPORT UserDefaults {
public:
    static constexpr std::string_view defaultStandardSuiteName = "com.norvane.AerloOffline";
    static constexpr std::string_view appGroupSuiteName = "7QX3M2PV9R.group.com.norvane.AerloOffline";
    // The name of the domain shared by every application, for persistentDomain().
    static constexpr std::string_view globalDomain = "NSGlobalDomain";
    // The largest suite file read or written, in bytes.
    static constexpr std::int64_t maximumFileSize = 4 * 1024 * 1024;

    // The suite named by standardSuiteName().
    static UserDefaults& standard();
    static std::string standardSuiteName();
    // For a program with its own domain (the login-item helper); false for an unusable name.
    [[nodiscard]] static bool setStandardSuiteName(std::string_view name);
    // The process-wide instance of a named suite; nullptr when the name cannot name a file
    // (empty, ".", "..", ".GlobalPreferences", containing '/' or NUL, longer than 200 bytes).
    static UserDefaults* suite(std::string_view suiteName);

    const std::string& suiteName() const { return suiteName_; }
    // Where the suite is kept: "<suite>.plist" under Paths::preferences() (follows a changed root).
    std::filesystem::path filePath() const;

    // The stored value, or nullopt when the key is absent; for the standard suite, a key absent from it
    // is looked up in the global domain.
    std::optional<PropertyListValue> object(std::string_view key) const;

    // Typed reads with the platform's conversions (an absent or unconvertible value gives false / 0 / 0.0 / nullopt;
    // the conversions are the *Reading functions below). data, array, dictionary, date: only a value of that type.
    bool boolValue(std::string_view key) const;
    std::int64_t integer(std::string_view key) const;
    double doubleValue(std::string_view key) const;
    std::optional<std::string> string(std::string_view key) const;
    std::optional<PropertyListValue::Data> data(std::string_view key) const;
    std::optional<PropertyListValue::Array> array(std::string_view key) const;
    std::optional<PropertyListValue::Dictionary> dictionary(std::string_view key) const;
    std::optional<PropertyListValue::Date> date(std::string_view key) const;

    // Stores any value (bool, integers, double, strings, Data, Date, Array, Dictionary convert implicitly);
    // a null value removes the key. A value holding a NaN or infinity is refused with one printed line and
    // the key keeps its old value; a write that fails is printed too. Returns true once the value is in the
    // suite's file.
    bool set(const PropertyListValue& value, std::string_view key);
    // Returns false only when the file could not be written (printed, as for set).
    bool removeObject(std::string_view key);
    // Writes are already on disk; this picks up other processes' changes at once. False when the file
    // cannot be read.
    [[nodiscard]] bool synchronize();
    // Every key and value of the suite (without the global domain).
    PropertyListValue::Dictionary dictionaryRepresentation() const;
    // Every key and value of the domain named `domainName` (globalDomain, or a suite name); nullopt when the
    // domain has no readable file.
    std::optional<PropertyListValue::Dictionary> persistentDomain(std::string_view domainName) const;
    // Whether the global domain's "AppleInterfaceStyle" is a text equal to "dark" ignoring case; read afresh.
    static bool globalInterfaceStyleIsDark();

    // The conversions of the typed reads, for a value already taken with object():
    // bool:    a bool; a number that is not zero; a string "YES" or "true" (any case), or one whose integer reading is
    // not 0. integer: a bool as 0/1; a double truncated toward zero (clamped to the 64-bit range); an integer or
    // decimal string
    //          (surrounding white space allowed), truncated likewise; anything else 0.
    // double:  a bool as 0/1; an integer; a decimal string; anything else 0.
    // string:  a string; a number as its shortest decimal text (a bool as "1"/"0"); anything else nullopt.
    static bool boolReading(const PropertyListValue& value);
    static std::int64_t integerReading(const PropertyListValue& value);
    static double doubleReading(const PropertyListValue& value);
    static std::optional<std::string> stringReading(const PropertyListValue& value);

    using ObserverCallback =
        std::function<void(const std::string& key, const std::optional<PropertyListValue>& newValue)>;
    // Unregisters its observer when destroyed. A callback running on another thread at that moment may finish.
    class ObserverToken {
    public:
        ObserverToken() = default;
        ObserverToken(ObserverToken&& other) noexcept;
        ObserverToken& operator=(ObserverToken&& other) noexcept;
        ObserverToken(const ObserverToken&) = delete;
        ObserverToken& operator=(const ObserverToken&) = delete;
        ~ObserverToken();
        void invalidate();

    private:
        friend class UserDefaults;
        ObserverToken(UserDefaults* defaults, std::uint64_t id) : defaults_(defaults), id_(id) {}
        UserDefaults* defaults_ = nullptr;
        std::uint64_t id_ = 0;
    };
    // The callback runs synchronously on the writing thread after every set or removeObject of the key
    // made in this process, with the key's new value (nullopt when removed), in registration order.
    [[nodiscard]] ObserverToken addObserver(std::string_view key, ObserverCallback callback);

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

private:
    struct Snapshot; // what the suite file held when last read, and how to tell it changed
    struct Observer {
        std::string key;
        std::shared_ptr<const ObserverCallback> callback;
    };

    explicit UserDefaults(std::string suiteName);
    // The process-wide instance of a suite, without checking the name.
    static UserDefaults& named(std::string_view suiteName);

    // What the suite file holds now; from memory while the file is watched and unchanged.
    std::shared_ptr<const Snapshot> current() const;
    // current() without the in-memory shortcut: checks the file (and watches it anew when needed).
    std::shared_ptr<const Snapshot> checked() const;
    // The suite's own value, without the global domain.
    std::optional<PropertyListValue> ownObject(std::string_view key) const;
    bool isStandard() const;
    std::shared_ptr<const Snapshot> recoverFromCorruption(const std::filesystem::path& file) const;
    void install(std::shared_ptr<const Snapshot> snapshot) const;
    void forget();
    // Read-modify-write of one key; nullopt removes it.
    [[nodiscard]] bool write(std::string_view key, const std::optional<PropertyListValue>& value);
    void notify(std::string_view key, const std::optional<PropertyListValue>& value);
    void removeObserver(std::uint64_t id);

    const std::string suiteName_;
    // Guards cache_, mark_, markedFile_ and markedRoot_; never held while waiting for the file lock's owner.
    mutable std::mutex cacheMutex_;
    mutable std::mutex writeMutex_; // one writer of this suite at a time in this process; taken before the file lock
    mutable std::shared_ptr<const Snapshot> cache_;
    mutable std::shared_ptr<FileWatcher::Mark> mark_; // nullptr while the file is not watched
    mutable std::filesystem::path markedFile_;
    mutable std::uint64_t markedRoot_ = 0; // Paths::rootChangeCount() when mark_ was cleared
    std::mutex observersMutex_;
    std::map<std::uint64_t, Observer> observers_;
    std::uint64_t nextObserverId_ = 1;

    friend struct ::TestAccess;
    // Tests: the standard suite name goes back to its default and every suite forgets what it read.
    static void resetForTesting();
};

} // namespace Foundation
