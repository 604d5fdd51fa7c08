#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/TestAccess.h"

#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// A bundle folder "X.app": executables in Contents/MacOS, resources in Contents/Resources and the
// info dictionary in Contents/Info.json (a JSON object). The info dictionary is read once, when the
// Bundle is made; a missing or corrupt file gives an empty dictionary. Copies share it; thread-safe.
class AERLO_FOUNDATION_EXPORT Bundle {
public:
    explicit Bundle(std::filesystem::path bundlePath);

    // The bundle of this program, found once: the bundle around the executable, else the bundle
    // named by AERLO_BUNDLE, else the build's own bundle.
    static Bundle main();
    // Makes main() this bundle from now on (tests); an empty path finds it again.
    static void setMainBundlePath(const std::filesystem::path& bundlePath);

    // The bundle holding `executable` at …/X.app/Contents/MacOS/<name>; empty when it lies outside one.
    static std::filesystem::path bundlePathForExecutable(const std::filesystem::path& executable);
    // Where main() looks: the bundle holding `executable`, else `environmentBundle` when not empty,
    // else builtInBundlePath().
    static std::filesystem::path mainBundlePath(const std::filesystem::path& executable,
                                                std::string_view environmentBundle);
    // The bundle of the build this library belongs to.
    static std::filesystem::path builtInBundlePath();
    // The info dictionary's file inside a bundle.
    static std::filesystem::path infoDictionaryPath(const std::filesystem::path& bundlePath);

    const std::filesystem::path& bundlePath() const { return bundlePath_; }
    // Contents/Resources.
    std::filesystem::path resourcePath() const;
    // Where a store copy keeps its receipt: Contents/_MASReceipt/receipt (the file need not exist).
    std::filesystem::path appStoreReceiptURL() const;
    // Contents/MacOS/<CFBundleExecutable>; nothing when the dictionary names no executable.
    std::optional<std::filesystem::path> executablePath() const;

    // The whole dictionary (an empty object when there is none).
    const nlohmann::json& infoDictionary() const { return *info_; }
    // The value under `forInfoDictionaryKey`; null when absent.
    nlohmann::json object(std::string_view forInfoDictionaryKey) const;
    // "CFBundleIdentifier" when it is text.
    std::optional<std::string> bundleIdentifier() const;

    // The resource named `forResource` with the extension `ofType` ("json" or ".json"; empty: the name
    // as it is) when it exists in Contents/Resources, file or folder.
    std::optional<std::filesystem::path> path(std::string_view forResource, std::string_view ofType = {}) const;
    // The same lookup (we have no URL type: a file URL is its path).
    std::optional<std::filesystem::path> url(std::string_view forResource, std::string_view withExtension = {}) const;

    // The texts of a localisation table: "<table>.json" (a JSON object; entries that are not text are
    // left out) in the resource folder "<language>.lproj". Each table is read once per language.
    using LocalizationTable = std::map<std::string, std::string, std::less<>>;
    // Where the user's chosen languages are kept, first choice first, in the standard suite.
    static constexpr std::string_view appleLanguagesKey = "AppleLanguages";
    // The language localised resources are taken from. The stored choice ("AppleLanguages"), read once
    // per process so that a change applies at the next start: "zh…" gives "zh-Hans", a language with a
    // resource folder gives itself, any other "en". Without a choice: "zh-Hans" when the first of
    // LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set begins with "zh", else "en", read on every call.
    static std::string preferredLocalization();
    // The text for `forKey` in `table` ("Localizable" when empty); a key the table lacks gives `value`,
    // or the key itself when `value` is empty.
    std::string localizedString(std::string_view forKey, std::string_view value = {},
                                std::string_view table = {}) const;
    // The localised texts of the info dictionary ("InfoPlist.json"); empty when there are none.
    std::shared_ptr<const LocalizationTable> localizedInfoDictionary() const;

private:
    struct Localizations;
    std::shared_ptr<const LocalizationTable> localizationTable(std::string_view table) const;

    std::filesystem::path bundlePath_;
    std::shared_ptr<const nlohmann::json> info_;
    std::shared_ptr<Localizations> localizations_;

    friend struct ::TestAccess;
    friend class UserDefaults; // its test reset forgets the stored language too
    // Reads the stored choice again at the next lookup (tests).
    static void resetForTesting();
};

} // namespace Foundation
