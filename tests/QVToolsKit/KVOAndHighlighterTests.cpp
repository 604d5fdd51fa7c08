#include "QVToolsKit/KVO.h"
#include "QVToolsKit/QVTextHighlighter.h"

#include <gtest/gtest.h>

namespace QVToolsKit {
struct KVOAccess {
    static std::vector<std::string> properties(const Foundation::Object& object)
    {
        return KVO::getAllProperties(object);
    }
};
} // namespace QVToolsKit

using Foundation::AttributedString;
using QVToolsKit::KVO;
using QVToolsKit::KVOAccess;
using QVToolsKit::QVTextHighlighter;

namespace {

class Watched : public KVO {
public:
    Foundation::Property<int> a {this, "a"};
    Foundation::Property<std::string> b {this, "b"};
    int plainField = 0; // not a declared property: never seen
};

class MoreWatched : public Watched {
public:
    Foundation::Property<int> c {this, "c", 10};
};

struct Change {
    std::string name;
    std::any newValue;
    std::any oldValue;
};

TEST(KVO, PropertiesRunFromTheMostDerivedClassUp)
{
    EXPECT_TRUE(KVOAccess::properties(KVO()).empty());
    EXPECT_EQ(KVOAccess::properties(Watched()), (std::vector<std::string> {"a", "b"}));
    EXPECT_EQ(KVOAccess::properties(MoreWatched()), (std::vector<std::string> {"c", "a", "b"}));
}

TEST(KVO, EachSetCallsTheHandlerOnceWithNewThenOld)
{
    MoreWatched object;
    std::vector<Change> changes;
    object.setKvoHandler([&](const std::string& name, const std::any& newValue, const std::any& oldValue) {
        changes.push_back({name, newValue, oldValue});
    });
    object.a = 1; // not observing yet
    object.kvo(true);
    object.kvo(true); // registers once
    object.c = 11;
    object.b = "text";
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].name, "c");
    EXPECT_EQ(std::any_cast<int>(changes[0].newValue), 11);
    EXPECT_EQ(std::any_cast<int>(changes[0].oldValue), 10);
    EXPECT_EQ(changes[1].name, "b");
    EXPECT_EQ(std::any_cast<std::string>(changes[1].newValue), "text");
    EXPECT_EQ(std::any_cast<std::string>(changes[1].oldValue), "");
    object.kvo(false);
    object.a = 2;
    EXPECT_EQ(changes.size(), 2u);
}

TEST(KVO, SilentWithoutHandlerForForeignKeysAndBeforeBeingTurnedOn)
{
    Watched object;
    object.kvo(false); // never on: nothing to remove, no failure
    object.kvo(true);
    object.a = 3; // no handler: consumed silently
    std::vector<std::string> names;
    object.setKvoHandler([&](const std::string& name, const std::any&, const std::any&) { names.push_back(name); });
    Foundation::KeyValueChange change {{"new", std::any(1)}};
    object.observeValue(std::string("elsewhere"), &object, &change, nullptr);
    object.observeValue(std::nullopt, &object, &change, nullptr);
    EXPECT_TRUE(names.empty());
    object.observeValue(std::string("a"), &object, nullptr, nullptr);
    EXPECT_EQ(names, std::vector<std::string> {"a"});
}

class OwnHandler : public Watched {
public:
    Handler kvoHandler() const override
    {
        return [this](const std::string& name, const std::any&, const std::any&) { seen.push_back(name); };
    }
    mutable std::vector<std::string> seen;
};

TEST(KVO, AnOverriddenHandlerAccessorIsUsed)
{
    OwnHandler object;
    object.kvo(true);
    object.b = "x";
    EXPECT_EQ(object.seen, std::vector<std::string> {"b"});
}

// The underline attribute's value over a range, or 0.
int underlineAt(const AttributedString& text, size_t at)
{
    const auto attributes = text.attributes(at);
    const auto found = attributes.find(AttributedString::underlineStyle);
    return found == attributes.end() ? 0 : std::any_cast<int>(found->second);
}

std::vector<AttributedString::Range> rangesWith(const AttributedString& text, const std::string& key)
{
    std::vector<AttributedString::Range> ranges;
    for (const auto& run : text.runs())
        if (run.attributes.count(key)) {
            if (!ranges.empty() && ranges.back().end() == run.range.location)
                ranges.back().length += run.range.length;
            else
                ranges.push_back(run.range);
        }
    return ranges;
}

TEST(QVTextHighlighter, FoldsCaseBeyondASCIIOneCharacterForOne)
{
    using Ranges = std::vector<AttributedString::Range>;
    const AttributedString::Attributes red {{"color", std::string("red")}};
    EXPECT_EQ(rangesWith(QVTextHighlighter::highlight({"ÄPFEL"}, "Äpfel und äpfel", red, false), "color"),
              (Ranges {{0, 5}, {10, 5}}));
    // Final sigma folds like sigma; sharp s does not become "ss".
    const auto greek = QVTextHighlighter::highlight({"σίσυφος"}, "ΣΊΣΥΦΟΣ x σίσυφοσ", red, false);
    EXPECT_EQ(rangesWith(greek, "color"), (Ranges {{0, 7}, {10, 7}}));
    EXPECT_TRUE(rangesWith(QVTextHighlighter::highlight({"straße"}, "STRASSE", red, false), "color").empty());
    EXPECT_EQ(rangesWith(QVTextHighlighter::highlight({"𐐨"}, "a𐐀b", red, false), "color"), (Ranges {{1, 2}}));
}

TEST(QVTextHighlighter, MarksEveryOccurrenceWithoutRegardToCase)
{
    using Ranges = std::vector<AttributedString::Range>;
    const AttributedString::Attributes red {{"color", std::string("red")}};
    EXPECT_EQ(rangesWith(QVTextHighlighter::highlight({"ab"}, "ABab", red, false), "color"), (Ranges {{0, 4}}));
    const auto both = QVTextHighlighter::highlight({"ab"}, "ABxab", red, false);
    EXPECT_EQ(rangesWith(both, "color"), (Ranges {{0, 2}, {3, 2}}));
    EXPECT_EQ(rangesWith(QVTextHighlighter::highlight({"aa"}, "aaa", red, false), "color"), (Ranges {{0, 2}}));
    EXPECT_EQ(rangesWith(QVTextHighlighter::highlight({"fan"}, "😀fan", red, false), "color"), (Ranges {{2, 3}}));
    EXPECT_TRUE(rangesWith(QVTextHighlighter::highlight({}, "text", red, true), "color").empty());
    EXPECT_TRUE(rangesWith(QVTextHighlighter::highlight({"", ""}, "text", red, true), "color").empty());
    EXPECT_TRUE(rangesWith(QVTextHighlighter::highlight({"zz"}, "", red, true), "color").empty());
}

TEST(QVTextHighlighter, LaterKeywordsAddOnTopAndUnderlineOnlyWhenAsked)
{
    const auto text = QVTextHighlighter::highlight({"abc", "cd"}, "abcde", {{"color", std::string("red")}}, true);
    EXPECT_EQ(rangesWith(text, "color"), (std::vector<AttributedString::Range> {{0, 4}}));
    EXPECT_EQ(underlineAt(text, 2), 1);
    EXPECT_EQ(underlineAt(text, 4), 0);
    const auto plain = QVTextHighlighter::highlight({"abc"}, "abcde", {{"color", std::string("red")}}, false);
    EXPECT_EQ(underlineAt(plain, 0), 0);
    const auto layered = QVTextHighlighter::highlight({"abc", "cd"}, "abcde", {{"weight", 1}}, false);
    EXPECT_EQ(layered.attributes(2).size(), 1u);
    EXPECT_EQ(QVTextHighlighter::convertToPlainText(text), "abcde");
}

} // namespace
