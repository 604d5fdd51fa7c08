#include "Classes/Configure/Global/Localization.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "tests/Global/DefaultsTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

using namespace Aerlo;
namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every string literal inside the parentheses of a lookup call in the application's sources.
std::set<std::string> keysUsedInCode()
{
    static const std::regex call(
        R"((LocalizationTable::text|localizedStringArguments|localizedString|localizedText|AERLO_LOCALIZED)\s*\()");
    static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    std::set<std::string> keys;
    for (const char* folder : {"Classes", "QVToolsKit", "Platform/Vendors"}) {
        const fs::path root = fs::path(AERLO_SOURCE_DIR) / folder;
        if (!fs::exists(root))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h")
                continue;
            const std::string text = fileText(entry.path());
            for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
                // The call's arguments: up to the matching parenthesis.
                std::size_t at = static_cast<std::size_t>(it->position() + it->length());
                int depth = 1;
                std::size_t end = at;
                bool quoted = false;
                for (; end < text.size() && depth > 0; ++end) {
                    const char c = text[end];
                    if (quoted) {
                        if (c == '\\')
                            ++end;
                        else if (c == '"')
                            quoted = false;
                    } else if (c == '"') {
                        quoted = true;
                    } else if (c == '(') {
                        ++depth;
                    } else if (c == ')') {
                        --depth;
                    }
                }
                const std::string arguments = text.substr(at, end - at);
                for (auto found = std::sregex_iterator(arguments.begin(), arguments.end(), literal);
                     found != std::sregex_iterator(); ++found)
                    keys.insert((*found)[1]);
            }
        }
    }
    return keys;
}

std::map<std::string, std::string> table(const std::string& language)
{
    const auto json = nlohmann::json::parse(
        fileText(fs::path(AERLO_SOURCE_DIR) / "Resources" / (language + ".lproj") / "Localizable.json"), nullptr,
        false);
    std::map<std::string, std::string> texts;
    if (json.is_object())
        for (const auto& [key, value] : json.items())
            if (value.is_string())
                texts[key] = value.get<std::string>();
    return texts;
}

} // namespace

TEST(LocalizationTables, BothLanguagesHaveEveryKeyTheCodeLooksUp)
{
    const auto keys = keysUsedInCode();
    for (const char* expected : {"tab.types.settings", "statusBar.title.quit", "Tip.title", "Left fan", "Right fan",
                                 "Number of cores", "Unknown"})
        EXPECT_TRUE(keys.count(expected)) << "the scan misses " << expected;
    const auto english = table("en");
    const auto chinese = table("zh-Hans");
    for (const auto& key : keys) {
        EXPECT_TRUE(english.count(key)) << "en lacks \"" << key << "\"";
        EXPECT_TRUE(chinese.count(key)) << "zh-Hans lacks \"" << key << "\"";
    }
    std::set<std::string> englishKeys, chineseKeys;
    for (const auto& [key, text] : english)
        englishKeys.insert(key);
    for (const auto& [key, text] : chinese)
        chineseKeys.insert(key);
    EXPECT_EQ(englishKeys, chineseKeys);
}

TEST(LocalizationTables, AMissingKeyGivesTheKeyAndChineseLocalesPickSimplifiedChinese)
{
    ScopedEnvironment language("LANGUAGE", "zh_CN.UTF-8");
    LocalizationTable::setTable(std::nullopt);
    EXPECT_EQ(LocalizationTable::text("tab.types.settings"), "设置");
    EXPECT_EQ(LocalizationTable::text("no.such.key"), "no.such.key");
    LocalizationTable::setTable(std::nullopt);
}

TEST(LocalizationKeys, EachTextIsLookedUpOnceAndKept)
{
    LocalizationTable::setTable(std::map<std::string, std::string> {{"statusBar.title.quit", "Leave"}});
    const std::string& first = Localization::StatusBar::quit();
    EXPECT_EQ(first, "Leave");
    LocalizationTable::setTable(std::map<std::string, std::string> {{"statusBar.title.quit", "Exit"}});
    EXPECT_EQ(Localization::StatusBar::quit(), "Leave") << "no second lookup";
    EXPECT_EQ(&Localization::StatusBar::quit(), &first);
    EXPECT_EQ(Localization::Tip::title(), "Tip.title") << "a key the table lacks";
    LocalizationTable::setTable(std::nullopt);
}
