#include "Platform/Foundation/Bundle.h"
#include "QVToolsKit/L10n.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"

#include <fstream>
#include <gtest/gtest.h>

using QVToolsKit::L10n;
namespace fs = std::filesystem;

namespace {

class Localized : public ::testing::Test {
protected:
    void SetUp() override
    {
        write("en", R"({"fans": "%@ has %d fans", "swap": "%2$@ before %1$@", "percent": "100%%",
                        "price": "%.2f each", "bare": "%@ and %@ and %d"})");
        write("zh-Hans", R"({"fans": "%@有 %d 个风扇", "swap": "%1$@ 在 %2$@ 之后", "percent": "百分之百 %%"})");
        Foundation::Bundle::setMainBundlePath(root_.path() / "Strings.app");
    }
    void TearDown() override { Foundation::Bundle::setMainBundlePath({}); }

    void write(const std::string& language, const std::string& json)
    {
        const fs::path folder = root_.path() / "Strings.app/Contents/Resources" / (language + ".lproj");
        fs::create_directories(folder);
        std::ofstream(folder / "Localizable.json") << json;
    }

    TempRoot root_;
};

} // namespace

TEST_F(Localized, TextsOfBothLanguagesFilledInAsFormats)
{
    const struct {
        const char* language;
        const char* fans;
        const char* swap;
        const char* percent;
    } cases[] = {
        {"en_US.UTF-8", "A has 3 fans", "two before one", "100%"},
        {"zh_CN.UTF-8", "A有 3 个风扇", "one 在 two 之后", "百分之百 %"},
    };
    for (const auto& c : cases) {
        ScopedEnvironment language("LANGUAGE", c.language);
        EXPECT_EQ(L10n::localized("fans", {std::string("A"), std::int64_t(3)}, "fan count"), c.fans);
        EXPECT_EQ(L10n::localized("swap", {std::string("one"), std::string("two")}), c.swap);
        EXPECT_EQ(L10n::localized("percent"), c.percent);
    }
}

TEST_F(Localized, AMissingKeyIsItsOwnFormat)
{
    ScopedEnvironment language("LANGUAGE", "zh_CN");
    EXPECT_EQ(L10n::localized("price"), "price"); // only the English table has it
    EXPECT_EQ(L10n::localized("Not translated: %@", {std::string("x")}), "Not translated: x");
    EXPECT_EQ(L10n::localized("%%"), "%");
}

TEST_F(Localized, FewerArgumentsThanDirectivesGiveADefinedText)
{
    ScopedEnvironment language("LANGUAGE", "en");
    EXPECT_EQ(L10n::localized("bare", {std::string("only")}), "only and  and ");
    EXPECT_EQ(L10n::localized("bare"), " and  and ");
    EXPECT_EQ(L10n::localized("price", {std::int64_t(2)}), "2.00 each"); // an integer converts
    EXPECT_EQ(L10n::localized("fans", {std::int64_t(1), std::string("many")}), "1 has many fans");
}
