#include "Platform/Foundation/Bundle.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#ifndef AERLO_BUNDLE_DIR
#define AERLO_BUNDLE_DIR ""
#endif

namespace Foundation {

namespace {

// A JSON object file; an empty object when it is missing, corrupt or not an object.
nlohmann::json readObject(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (stream) {
        const std::string text {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
        auto parsed = nlohmann::json::parse(text, nullptr, false);
        if (!parsed.is_discarded() && parsed.is_object())
            return parsed;
    }
    return nlohmann::json::object();
}

std::shared_ptr<const nlohmann::json> readInfoDictionary(const std::filesystem::path& file)
{
    return std::make_shared<const nlohmann::json>(readObject(file));
}

// A resource name stays inside the resource folder.
bool isInsideName(const std::filesystem::path& name)
{
    if (name.empty() || name.is_absolute())
        return false;
    for (const auto& part : name)
        if (part == "..")
            return false;
    return true;
}

struct MainState {
    std::mutex mutex;
    std::optional<Bundle> bundle;
};

MainState& mainState()
{
    static Foundation::SharedInstance<MainState> state;
    return state.get();
}

} // namespace

// The tables read so far, by language and table name; shared by copies of a bundle.
struct Bundle::Localizations {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, std::shared_ptr<const LocalizationTable>> tables;
};

Bundle::Bundle(std::filesystem::path bundlePath)
    : bundlePath_(std::move(bundlePath)), info_(readInfoDictionary(infoDictionaryPath(bundlePath_))),
      localizations_(std::make_shared<Localizations>())
{
}

namespace {

struct StoredLanguage {
    std::mutex mutex;
    bool read = false;
    std::optional<std::string> table;
};

StoredLanguage& storedLanguage()
{
    static Foundation::SharedInstance<StoredLanguage> shared;
    return shared.get();
}

// The table for the first language the user chose ("AppleLanguages" in the standard suite), when there
// is a choice: "zh…" gives "zh-Hans", a language the bundle has a folder for gives itself, others "en".
std::optional<std::string> readStoredLanguage()
{
    const auto languages = UserDefaults::standard().array(Bundle::appleLanguagesKey);
    if (!languages || languages->empty())
        return std::nullopt;
    const std::string* code = languages->front().asString();
    if (!code || code->empty())
        return std::nullopt;
    if (code->starts_with("zh"))
        return "zh-Hans";
    if (isInsideName(*code) && code->find('/') == std::string::npos) {
        std::error_code error;
        if (std::filesystem::is_directory(Bundle::main().resourcePath() / (*code + ".lproj"), error))
            return *code;
    }
    return "en";
}

} // namespace

std::string Bundle::preferredLocalization()
{
    {
        StoredLanguage& stored = storedLanguage();
        std::lock_guard lock(stored.mutex);
        if (!stored.read) {
            stored.table = readStoredLanguage();
            stored.read = true;
        }
        if (stored.table)
            return *stored.table;
    }
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return std::string_view(value).starts_with("zh") ? "zh-Hans" : "en";
    }
    return "en";
}

void Bundle::resetForTesting()
{
    StoredLanguage& stored = storedLanguage();
    std::lock_guard lock(stored.mutex);
    stored.read = false;
    stored.table.reset();
}

std::shared_ptr<const Bundle::LocalizationTable> Bundle::localizationTable(std::string_view table) const
{
    std::pair<std::string, std::string> name {preferredLocalization(), std::string(table)};
    std::lock_guard lock(localizations_->mutex);
    auto& cached = localizations_->tables[name];
    if (!cached) {
        auto texts = std::make_shared<LocalizationTable>();
        if (isInsideName(name.second) && name.second.find('/') == std::string::npos) {
            const auto object = readObject(resourcePath() / (name.first + ".lproj") / (name.second + ".json"));
            for (const auto& [key, value] : object.items())
                if (value.is_string())
                    texts->emplace(key, value.get<std::string>());
        }
        cached = std::move(texts);
    }
    return cached;
}

std::string Bundle::localizedString(std::string_view forKey, std::string_view value, std::string_view table) const
{
    const auto texts = localizationTable(table.empty() ? "Localizable" : table);
    if (const auto found = texts->find(forKey); found != texts->end())
        return found->second;
    return std::string(value.empty() ? forKey : value);
}

std::shared_ptr<const Bundle::LocalizationTable> Bundle::localizedInfoDictionary() const
{
    return localizationTable("InfoPlist");
}

Bundle Bundle::main()
{
    MainState& state = mainState();
    std::lock_guard lock(state.mutex);
    if (!state.bundle) {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        const char* environment = std::getenv("AERLO_BUNDLE");
        state.bundle.emplace(
            mainBundlePath(error ? std::filesystem::path() : executable, environment ? environment : ""));
    }
    return *state.bundle;
}

void Bundle::setMainBundlePath(const std::filesystem::path& bundlePath)
{
    MainState& state = mainState();
    std::lock_guard lock(state.mutex);
    if (bundlePath.empty())
        state.bundle.reset();
    else
        state.bundle.emplace(bundlePath);
}

std::filesystem::path Bundle::bundlePathForExecutable(const std::filesystem::path& executable)
{
    const auto macOS = executable.parent_path();
    const auto contents = macOS.parent_path();
    const auto bundle = contents.parent_path();
    if (executable.filename().empty() || macOS.filename() != "MacOS" || contents.filename() != "Contents"
        || bundle.extension() != ".app" || bundle.stem().empty())
        return {};
    return bundle;
}

std::filesystem::path Bundle::mainBundlePath(const std::filesystem::path& executable,
                                             std::string_view environmentBundle)
{
    if (auto bundle = bundlePathForExecutable(executable); !bundle.empty())
        return bundle;
    if (!environmentBundle.empty())
        return std::filesystem::path(environmentBundle);
    return builtInBundlePath();
}

std::filesystem::path Bundle::builtInBundlePath() { return AERLO_BUNDLE_DIR; }

std::filesystem::path Bundle::infoDictionaryPath(const std::filesystem::path& bundlePath)
{
    return bundlePath / "Contents" / "Info.json";
}

std::filesystem::path Bundle::resourcePath() const { return bundlePath_ / "Contents" / "Resources"; }

std::filesystem::path Bundle::appStoreReceiptURL() const
{
    return bundlePath_ / "Contents" / "_MASReceipt" / "receipt";
}

std::optional<std::filesystem::path> Bundle::executablePath() const
{
    const auto name = object("CFBundleExecutable");
    if (!name.is_string() || !isInsideName(name.get<std::string>()))
        return std::nullopt;
    return bundlePath_ / "Contents" / "MacOS" / name.get<std::string>();
}

nlohmann::json Bundle::object(std::string_view forInfoDictionaryKey) const
{
    const auto found = info_->find(forInfoDictionaryKey);
    return found == info_->end() ? nlohmann::json() : *found;
}

std::optional<std::string> Bundle::bundleIdentifier() const
{
    const auto identifier = object("CFBundleIdentifier");
    if (!identifier.is_string())
        return std::nullopt;
    return identifier.get<std::string>();
}

std::optional<std::filesystem::path> Bundle::path(std::string_view forResource, std::string_view ofType) const
{
    if (ofType.starts_with('.'))
        ofType.remove_prefix(1);
    std::string name(forResource);
    if (!ofType.empty())
        name += "." + std::string(ofType);
    if (forResource.empty() || !isInsideName(name))
        return std::nullopt;
    auto candidate = resourcePath() / name;
    std::error_code error;
    if (!std::filesystem::exists(candidate, error))
        return std::nullopt;
    return candidate;
}

std::optional<std::filesystem::path> Bundle::url(std::string_view forResource, std::string_view withExtension) const
{
    return path(forResource, withExtension);
}

} // namespace Foundation
