#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Vendors/UI/RUDuzodize.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using namespace Vendors;

namespace {

class RUDuzodizeTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<Foundation::UserDefaults>(); }
    void TearDown() override
    {
        TestAccess::resetForTesting<RUDuzodize>();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    TempRoot root_;
};

TEST_F(RUDuzodizeTest, TheCurrentLanguageIsTheStoredChoiceElseTheEnvironmentsElseEnglish)
{
    RUDuzodize::configureSupportedLanguages({SupportedLanguageOption::english,
                                             SupportedLanguageOption::simplifiedChinese,
                                             SupportedLanguageOption::german, SupportedLanguageOption::english});
    ASSERT_EQ(RUDuzodize::supportedLanguagesModel().size(), 3u);
    const struct {
        const char* stored;
        const char* environment;
        long index;
    } cases[] = {
        {nullptr, "C.UTF-8", 0}, {nullptr, "zh_TW.UTF-8", 1}, {nullptr, "de_AT@euro", 2},
        {"de", "zh_CN", 2},      {"zh-Hant", "de", 1},        {"fr", "de", 2},
        {"", "zh", 1},
    };
    for (const auto& c : cases) {
        ScopedEnvironment language("LANGUAGE", c.environment);
        if (c.stored)
            (void)Foundation::UserDefaults::standard().set(Foundation::PropertyListValue::Array {std::string(c.stored)},
                                                           Foundation::Bundle::appleLanguagesKey);
        else
            (void)Foundation::UserDefaults::standard().removeObject(Foundation::Bundle::appleLanguagesKey);
        EXPECT_EQ(RUDuzodize::currentLanguageIndex(), c.index) << (c.stored ? c.stored : "-") << " " << c.environment;
    }
    // One title form for the items and the current name.
    (void)Foundation::UserDefaults::standard().set(Foundation::PropertyListValue::Array {std::string("zh-Hans")},
                                                   Foundation::Bundle::appleLanguagesKey);
    EXPECT_EQ(RUDuzodize::currentLanguageName(), "简体中文");
    RUDuzodize::setShowFlagEmoji(true);
    EXPECT_EQ(RUDuzodize::currentLanguageName(), RUDuzodize::title(RUDuzodize::supportedLanguagesModel()[1]));
    EXPECT_EQ(RUDuzodize::currentLanguageName(), "🇨🇳 简体中文");
}

} // namespace
