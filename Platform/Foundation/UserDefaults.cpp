#include "Platform/Foundation/UserDefaults.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace Foundation {

namespace {

using Dictionary = PropertyListValue::Dictionary;

constexpr size_t maximumSuiteNameLength = 200;
// The global domain's file name, as the platform names it.
constexpr std::string_view globalDomainSuiteName = ".GlobalPreferences";
constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;

struct Registry {
    std::mutex mutex;
    std::string standardName {UserDefaults::defaultStandardSuiteName};
    std::map<std::string, UserDefaults*, std::less<>> suites;
    // The instance named standardName once it exists: the standard suite's reads ask for it without the lock.
    std::atomic<const UserDefaults*> standardSuite {nullptr};

    // Caller holds the mutex.
    void noteStandardSuite()
    {
        const auto it = suites.find(standardName);
        standardSuite.store(it == suites.end() ? nullptr : it->second);
    }
};

// Never destroyed: suites outlive every static that may still hold one.
Registry& registry()
{
    static SharedInstance<Registry> instance;
    return instance.get();
}

bool usableSuiteName(std::string_view name)
{
    return !name.empty() && name.size() <= maximumSuiteNameLength && name != "." && name != ".."
        && name != globalDomainSuiteName && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

std::filesystem::path withSuffix(const std::filesystem::path& file, std::string_view suffix)
{
    return std::filesystem::path(file.native() + std::string(suffix));
}

// ---- conversions -------------------------------------------------------------------------------

// A stored text read as a number or flag: white space cut, then a leading "+" that is not before a sign.
std::string numberText(std::string_view text)
{
    std::string number = trimmed(text);
    if (number.size() > 1 && number.front() == '+' && number[1] != '-' && number[1] != '+')
        number.erase(0, 1);
    return number;
}

std::optional<std::int64_t> parseInteger(std::string_view text)
{
    return decimalNumber<std::int64_t>(numberText(text));
}

std::optional<double> parseDouble(std::string_view text)
{
    return decimalNumber<double>(numberText(text));
}

std::int64_t truncated(double value)
{
    // 2^63 is exact as a double; anything at or beyond it clamps.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (value < -limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

template <class T>
std::string decimalText(T number)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

// ---- the suite file ----------------------------------------------------------------------------

std::int64_t nanoseconds(const timespec& time) { return time.tv_sec * nanosecondsPerSecond + time.tv_nsec; }

// Cheap evidence that the suite file was replaced: the writer gives every new file a later mtime.
struct FileIdentity {
    std::filesystem::path path;
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const std::filesystem::path& file, const struct stat& info)
{
    return {file, true, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim)};
}

FileIdentity statIdentity(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {file};
    return identityOf(file, info);
}

std::string sizeLimitText()
{
    return decimalText(UserDefaults::maximumFileSize / (1024 * 1024)) + " MiB";
}

struct LoadResult {
    enum class Status { present, absent, corrupt, unreadable, tooLarge } status = Status::absent;
    struct stat info {};
    Dictionary values;
    int error = 0;
};

LoadResult loadFile(const std::filesystem::path& file)
{
    LoadResult result;
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        result.error = errno;
        result.status = errno == ENOENT ? LoadResult::Status::absent : LoadResult::Status::unreadable;
        return result;
    }
    const bool known = ::fstat(fd.get(), &result.info) == 0;
    if (known && result.info.st_size > UserDefaults::maximumFileSize) {
        result.status = LoadResult::Status::tooLarge;
        return result;
    }
    auto read = readAll(fd.get(), static_cast<size_t>(UserDefaults::maximumFileSize));
    if (!read) {
        result.error = errno;
        result.status = LoadResult::Status::unreadable;
        return result;
    }
    const std::string text = std::move(read).value();
    if (text.size() > static_cast<size_t>(UserDefaults::maximumFileSize)) { // grew while being read
        result.info.st_size = static_cast<off_t>(text.size());
        result.status = LoadResult::Status::tooLarge;
        return result;
    }
    auto value = PropertyListValue::fromJSONText(text);
    if (!value || !value->asDictionary()) {
        result.status = LoadResult::Status::corrupt;
        return result;
    }
    result.values = std::move(*value->asDictionary());
    result.status = LoadResult::Status::present;
    return result;
}

// Replaces the suite file with `text` in one step. The new file's mtime is made later than the replaced
// one's, so that (inode, size, mtime) never repeats for a path even when an inode number is reused within
// one timestamp tick. Returns 0 or the errno of the failed step.
int saveFile(const std::filesystem::path& file, std::string_view text, const struct stat* previous)
{
    AtomicFile replacement(file);
    if (previous)
        replacement.setModifiedAfter(previous->st_mtim);
    if (replacement.stage(text, 0600) && replacement.commit())
        return 0;
    return replacement.failedErrno();
}

// Lines said while locks are held, printed once the locks are gone (declare it before the locks).
struct DeferredLines {
    std::vector<std::string> lines;
    void add(std::string line) { lines.push_back(std::move(line)); }
    ~DeferredLines()
    {
        for (const auto& line : lines)
            Console::print(line);
    }
};

std::string timestampForFileName()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    gmtime_r(&now, &parts);
    char buffer[32];
    const size_t length = std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &parts);
    return std::string(buffer, length);
}

// Moves an unreadable suite file aside (caller holds the suite's file lock) and says so in one line.
void setAside(const std::filesystem::path& file, std::string_view suiteName, DeferredLines& said)
{
    const std::string stem = file.native() + ".corrupt-" + timestampForFileName();
    std::filesystem::path aside = stem;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(aside, ec); ++n)
        aside = stem + "-" + decimalText(n);
    if (::rename(file.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return; // already gone
        said.add("The defaults file \"" + file.native() + "\" of suite \"" + std::string(suiteName)
                 + "\" is damaged and could not be moved aside (" + errnoText(error) + "); the suite reads as empty.");
        return;
    }
    said.add("The defaults file \"" + file.native() + "\" of suite \"" + std::string(suiteName)
             + "\" was damaged and has been moved to \"" + aside.native() + "\"; the suite starts empty.");
}

std::string tooLargeLine(const std::filesystem::path& file, std::string_view suiteName, std::int64_t size)
{
    return "The defaults file \"" + file.native() + "\" of suite \"" + std::string(suiteName) + "\" is larger than "
        + sizeLimitText() + " (" + decimalText(size) + " bytes); it is left as it is and the suite reads as empty.";
}

// An exclusive flock on "<suite>.plist.lock", held for its lifetime.
class ExclusiveFileLock {
public:
    explicit ExclusiveFileLock(const std::filesystem::path& file)
    {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        fd_.reset(::open(withSuffix(file, ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!fd_) {
            error_ = errno;
            return;
        }
        while (::flock(fd_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                fd_.reset();
                return;
            }
        }
    }
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool locked() const { return fd_.valid(); }
    int error() const { return error_; }
    void release()
    {
        fd_.reset(); // closing the only descriptor drops the lock
    }

private:
    FileDescriptor fd_;
    int error_ = 0;
};

} // namespace

struct UserDefaults::Snapshot {
    FileIdentity identity;
    Dictionary values;
    bool readable = true;
};

// ---- conversions -------------------------------------------------------------------------------

std::int64_t UserDefaults::integerReading(const PropertyListValue& value)
{
    if (const auto* b = value.asBool())
        return *b ? 1 : 0;
    if (const auto* i = value.asInteger())
        return *i;
    if (const auto* d = value.asDouble())
        return truncated(*d);
    if (const auto* s = value.asString()) {
        if (const auto i = parseInteger(*s))
            return *i;
        if (const auto d = parseDouble(*s))
            return truncated(*d);
    }
    return 0;
}

bool UserDefaults::boolReading(const PropertyListValue& value)
{
    if (const auto* b = value.asBool())
        return *b;
    if (const auto* d = value.asDouble())
        return *d != 0;
    if (const auto* s = value.asString()) {
        const std::string text = numberText(*s);
        if (equalsIgnoringCase(text, "yes") || equalsIgnoringCase(text, "true"))
            return true;
    }
    return integerReading(value) != 0;
}

double UserDefaults::doubleReading(const PropertyListValue& value)
{
    if (const auto* b = value.asBool())
        return *b ? 1.0 : 0.0;
    if (const auto* i = value.asInteger())
        return static_cast<double>(*i);
    if (const auto* d = value.asDouble())
        return *d;
    if (const auto* s = value.asString())
        return parseDouble(*s).value_or(0.0);
    return 0.0;
}

std::optional<std::string> UserDefaults::stringReading(const PropertyListValue& value)
{
    if (const auto* s = value.asString())
        return *s;
    if (const auto* b = value.asBool())
        return std::string(*b ? "1" : "0");
    if (const auto* i = value.asInteger())
        return decimalText(*i);
    if (const auto* d = value.asDouble())
        return decimalText(*d);
    return std::nullopt;
}

// ---- shared instances ------------------------------------------------------------------------------

UserDefaults::UserDefaults(std::string suiteName) : suiteName_(std::move(suiteName)) { }

UserDefaults& UserDefaults::standard()
{
    return *suite(standardSuiteName());
}

std::string UserDefaults::standardSuiteName()
{
    std::lock_guard lock(registry().mutex);
    return registry().standardName;
}

bool UserDefaults::setStandardSuiteName(std::string_view name)
{
    if (!usableSuiteName(name))
        return false;
    std::lock_guard lock(registry().mutex);
    registry().standardName = std::string(name);
    registry().noteStandardSuite();
    return true;
}

UserDefaults* UserDefaults::suite(std::string_view suiteName)
{
    if (!usableSuiteName(suiteName))
        return nullptr;
    return &named(suiteName);
}

UserDefaults& UserDefaults::named(std::string_view suiteName)
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    auto it = shared.suites.find(suiteName);
    if (it == shared.suites.end()) {
        it = shared.suites.emplace(std::string(suiteName), new UserDefaults(std::string(suiteName))).first;
        shared.noteStandardSuite();
    }
    return *it->second;
}

bool UserDefaults::isStandard() const
{
    return registry().standardSuite.load() == this;
}

void UserDefaults::resetForTesting()
{
    // The stored language belongs to the store being forgotten.
    Bundle::resetForTesting();
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    shared.standardName = std::string(defaultStandardSuiteName);
    shared.noteStandardSuite();
    for (auto& [name, defaults] : shared.suites)
        defaults->forget();
}

void UserDefaults::forget()
{
    std::lock_guard lock(cacheMutex_);
    cache_.reset();
    mark_.reset();
}

std::filesystem::path UserDefaults::filePath() const
{
    return Paths::preferences() / (suiteName_ + ".plist");
}

// ---- reading ---------------------------------------------------------------------------------------

std::shared_ptr<const UserDefaults::Snapshot> UserDefaults::current() const
{
    {
        std::lock_guard lock(cacheMutex_);
        if (cache_ && mark_ && !mark_->changed() && markedRoot_ == Paths::rootChangeCount())
            return cache_;
    }
    return checked();
}

std::shared_ptr<const UserDefaults::Snapshot> UserDefaults::checked() const
{
    const std::uint64_t root = Paths::rootChangeCount();
    const std::filesystem::path file = filePath();
    {
        DeferredLines said;
        std::lock_guard lock(cacheMutex_);
        if (!mark_ || !mark_->live() || markedFile_ != file) {
            mark_ = FileWatcher::shared().watch(file);
            markedFile_ = file;
        }
        // Cleared before the file is looked at: a change from here on is seen by the next read.
        if (mark_)
            mark_->clear();
        markedRoot_ = root;
        const FileIdentity now = statIdentity(file);
        if (cache_ && cache_->identity == now)
            return cache_;
        LoadResult loaded = loadFile(file);
        switch (loaded.status) {
        case LoadResult::Status::present:
            cache_ = std::make_shared<Snapshot>(Snapshot {identityOf(file, loaded.info), std::move(loaded.values)});
            return cache_;
        case LoadResult::Status::absent:
            cache_ = std::make_shared<Snapshot>(Snapshot {FileIdentity {file}, {}});
            return cache_;
        case LoadResult::Status::unreadable:
            // Cached under the file's identity, so this is said once per version of the file.
            said.add("The defaults file \"" + file.native() + "\" of suite \"" + suiteName_ + "\" cannot be read ("
                     + errnoText(loaded.error) + "); the suite reads as empty.");
            cache_ = std::make_shared<Snapshot>(Snapshot {now, {}, false});
            return cache_;
        case LoadResult::Status::tooLarge:
            said.add(tooLargeLine(file, suiteName_, loaded.info.st_size));
            cache_ = std::make_shared<Snapshot>(Snapshot {now, {}, false});
            return cache_;
        case LoadResult::Status::corrupt:
            break;
        }
    }
    auto recovered = recoverFromCorruption(file);
    install(recovered);
    return recovered;
}

std::shared_ptr<const UserDefaults::Snapshot> UserDefaults::recoverFromCorruption(const std::filesystem::path& file) const
{
    DeferredLines said;
    std::lock_guard writing(writeMutex_);
    ExclusiveFileLock lock(file);
    LoadResult loaded = loadFile(file);
    if (loaded.status == LoadResult::Status::present)
        return std::make_shared<Snapshot>(Snapshot {identityOf(file, loaded.info), std::move(loaded.values)});
    if (loaded.status == LoadResult::Status::corrupt) {
        if (lock.locked())
            setAside(file, suiteName_, said);
        else
            said.add("The defaults file \"" + file.native() + "\" of suite \"" + suiteName_
                     + "\" is damaged and could not be locked (" + errnoText(lock.error())
                     + "); the suite reads as empty.");
    }
    if (loaded.status == LoadResult::Status::tooLarge)
        said.add(tooLargeLine(file, suiteName_, loaded.info.st_size));
    // Empty, under whatever now lies at the path (a file that could not be moved is not re-reported).
    const bool readable =
        loaded.status != LoadResult::Status::unreadable && loaded.status != LoadResult::Status::tooLarge;
    return std::make_shared<Snapshot>(Snapshot {statIdentity(file), {}, readable});
}

void UserDefaults::install(std::shared_ptr<const Snapshot> snapshot) const
{
    std::lock_guard lock(cacheMutex_);
    cache_ = std::move(snapshot);
}

std::optional<PropertyListValue> UserDefaults::ownObject(std::string_view key) const
{
    const auto snapshot = current();
    const auto it = snapshot->values.find(key);
    if (it == snapshot->values.end())
        return std::nullopt;
    return it->second;
}

std::optional<PropertyListValue> UserDefaults::object(std::string_view key) const
{
    if (auto value = ownObject(key))
        return value;
    if (!isStandard())
        return std::nullopt;
    static const UserDefaults& global = named(globalDomainSuiteName);
    return global.ownObject(key);
}

bool UserDefaults::boolValue(std::string_view key) const
{
    const auto value = object(key);
    return value ? boolReading(*value) : false;
}

std::int64_t UserDefaults::integer(std::string_view key) const
{
    const auto value = object(key);
    return value ? integerReading(*value) : 0;
}

double UserDefaults::doubleValue(std::string_view key) const
{
    const auto value = object(key);
    return value ? doubleReading(*value) : 0.0;
}

std::optional<std::string> UserDefaults::string(std::string_view key) const
{
    const auto value = object(key);
    return value ? stringReading(*value) : std::nullopt;
}

namespace {

template <class T>
std::optional<T> exactly(const std::optional<PropertyListValue>& value, const T* (PropertyListValue::*as)() const)
{
    if (!value)
        return std::nullopt;
    if (const T* typed = ((*value).*as)())
        return *typed;
    return std::nullopt;
}

} // namespace

std::optional<PropertyListValue::Data> UserDefaults::data(std::string_view key) const
{
    return exactly(object(key), &PropertyListValue::asData);
}

std::optional<PropertyListValue::Array> UserDefaults::array(std::string_view key) const
{
    return exactly(object(key), &PropertyListValue::asArray);
}

std::optional<PropertyListValue::Dictionary> UserDefaults::dictionary(std::string_view key) const
{
    return exactly(object(key), &PropertyListValue::asDictionary);
}

std::optional<PropertyListValue::Date> UserDefaults::date(std::string_view key) const
{
    return exactly(object(key), &PropertyListValue::asDate);
}

PropertyListValue::Dictionary UserDefaults::dictionaryRepresentation() const
{
    return current()->values;
}

std::optional<PropertyListValue::Dictionary> UserDefaults::persistentDomain(std::string_view domainName) const
{
    UserDefaults* domain = domainName == globalDomain ? &named(globalDomainSuiteName) : suite(domainName);
    if (!domain)
        return std::nullopt;
    const auto snapshot = domain->current();
    if (!snapshot->identity.exists || !snapshot->readable)
        return std::nullopt;
    return snapshot->values;
}

bool UserDefaults::globalInterfaceStyleIsDark()
{
    const auto domain = standard().persistentDomain(globalDomain);
    if (!domain)
        return false;
    const auto style = domain->find("AppleInterfaceStyle");
    const std::string* text = style != domain->end() ? style->second.asString() : nullptr;
    return text && lowercased(*text) == "dark";
}

bool UserDefaults::synchronize()
{
    return checked()->readable;
}

// ---- writing ---------------------------------------------------------------------------------------

bool UserDefaults::set(const PropertyListValue& value, std::string_view key)
{
    if (value.isNull())
        return removeObject(key);
    if (value.containsNonFinite()) {
        Console::print("Refused to store a non-finite number under \"" + std::string(key) + "\" in suite \""
                       + suiteName_ + "\"; the previous value is kept.");
        return false;
    }
    if (!write(key, value))
        return false;
    notify(key, value);
    return true;
}

bool UserDefaults::removeObject(std::string_view key)
{
    if (!write(key, std::nullopt))
        return false;
    notify(key, std::nullopt);
    return true;
}

bool UserDefaults::write(std::string_view key, const std::optional<PropertyListValue>& value)
{
    const std::filesystem::path file = filePath();
    DeferredLines said;
    const auto failed = [&](const std::string& reason) {
        said.add("Could not save \"" + std::string(key) + "\" in the defaults suite \"" + suiteName_ + "\" (" + reason
                 + ").");
        return false;
    };
    std::lock_guard writing(writeMutex_);
    ExclusiveFileLock lock(file);
    if (!lock.locked())
        return failed("cannot lock " + withSuffix(file, ".lock").native() + ": " + errnoText(lock.error()));
    LoadResult loaded = loadFile(file);
    if (loaded.status == LoadResult::Status::unreadable)
        return failed("cannot read " + file.native() + ": " + errnoText(loaded.error));
    if (loaded.status == LoadResult::Status::tooLarge)
        return failed(file.native() + " is larger than " + sizeLimitText() + " and is left as it is");
    if (loaded.status == LoadResult::Status::corrupt) {
        setAside(file, suiteName_, said);
        loaded = LoadResult {};
    }
    const bool present = loaded.status == LoadResult::Status::present;
    Dictionary& values = loaded.values;
    const auto it = values.find(key);
    const bool unchanged = value ? it != values.end() && it->second == *value : it == values.end();
    if (unchanged) {
        lock.release();
        install(std::make_shared<Snapshot>(
            Snapshot {present ? identityOf(file, loaded.info) : FileIdentity {file}, std::move(values)}));
        return true;
    }
    if (!value)
        values.erase(it);
    else if (it != values.end())
        it->second = *value;
    else
        values.emplace(std::string(key), *value);
    const std::string text = PropertyListValue(values).toJSONText();
    if (text.size() > static_cast<size_t>(maximumFileSize))
        return failed("the suite would be larger than " + sizeLimitText());
    if (const int error = saveFile(file, text, present ? &loaded.info : nullptr))
        return failed("cannot write " + file.native() + ": " + errnoText(error));
    const FileIdentity written = statIdentity(file);
    lock.release();
    install(std::make_shared<Snapshot>(Snapshot {written, std::move(values)}));
    return true;
}

// ---- observers -------------------------------------------------------------------------------------

UserDefaults::ObserverToken UserDefaults::addObserver(std::string_view key, ObserverCallback callback)
{
    std::lock_guard lock(observersMutex_);
    const std::uint64_t id = nextObserverId_++;
    observers_.emplace(id, Observer {std::string(key), std::make_shared<const ObserverCallback>(std::move(callback))});
    return ObserverToken(this, id);
}

void UserDefaults::removeObserver(std::uint64_t id)
{
    std::lock_guard lock(observersMutex_);
    observers_.erase(id);
}

void UserDefaults::notify(std::string_view key, const std::optional<PropertyListValue>& value)
{
    std::vector<std::shared_ptr<const ObserverCallback>> callbacks;
    {
        std::lock_guard lock(observersMutex_);
        for (const auto& [id, observer] : observers_)
            if (observer.key == key)
                callbacks.push_back(observer.callback);
    }
    const std::string name(key);
    for (const auto& callback : callbacks)
        (*callback)(name, value);
}

UserDefaults::ObserverToken::ObserverToken(ObserverToken&& other) noexcept
    : defaults_(std::exchange(other.defaults_, nullptr)), id_(std::exchange(other.id_, 0))
{
}

UserDefaults::ObserverToken& UserDefaults::ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        invalidate();
        defaults_ = std::exchange(other.defaults_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

UserDefaults::ObserverToken::~ObserverToken() { invalidate(); }

void UserDefaults::ObserverToken::invalidate()
{
    if (defaults_)
        defaults_->removeObserver(id_);
    defaults_ = nullptr;
}

} // namespace Foundation
