#include "Platform/Foundation/AttributedString.h"
#include "Platform/Foundation/Object.h"

#include <gtest/gtest.h>
#include <memory>

using namespace Foundation;

namespace {

class Base : public Object {
public:
    Property<int> a {this, "a"};
    Property<std::string> b {this, "b", "start"};
};

class Derived : public Base {
public:
    Property<double> c {this, "c"};
};

struct Call {
    std::string key;
    const Object* object;
    std::optional<int> newValue;
    std::optional<int> oldValue;
    void* context;
};

class Recorder : public Object {
public:
    void observeValue(const std::optional<std::string>& keyPath, Object* object, const KeyValueChange* change,
                      void* context) override
    {
        const auto number = [&](const char* key) -> std::optional<int> {
            const auto found = change->find(key);
            if (found == change->end())
                return std::nullopt;
            return std::any_cast<int>(found->second);
        };
        calls.push_back({keyPath.value_or("?"), object, number("new"), number("old"), context});
    }
    std::vector<Call> calls;
};

TEST(Object, PropertiesAreKeptPerClassLevelInDeclarationOrder)
{
    EXPECT_TRUE(Object().propertyLevels().empty());
    EXPECT_EQ(Base().propertyLevels(), (std::vector<std::vector<std::string>> {{"a", "b"}}));
    EXPECT_EQ(Derived().propertyLevels(), (std::vector<std::vector<std::string>> {{"c"}, {"a", "b"}}));
    Derived object;
    EXPECT_EQ(object.b.get(), "start");
    object.a = 5;
    EXPECT_EQ(object.a, 5);
}

TEST(Object, ObserversReceiveWhatTheyAskedForWithTheirContext)
{
    Base object;
    Recorder recorder;
    int context = 0;
    object.addObserver(&recorder, "a", KeyValueObservingOptions::new_ | KeyValueObservingOptions::old, &context);
    object.addObserver(&recorder, "a", KeyValueObservingOptions::new_, nullptr);
    object.b = "not watched";
    object.a = 7;
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].key, "a");
    EXPECT_EQ(recorder.calls[0].object, &object);
    EXPECT_EQ(recorder.calls[0].newValue, 7);
    EXPECT_EQ(recorder.calls[0].oldValue, 0);
    EXPECT_EQ(recorder.calls[0].context, &context);
    EXPECT_EQ(recorder.calls[1].oldValue, std::nullopt);
    EXPECT_TRUE(object.removeObserver(&recorder, "a"));
    EXPECT_TRUE(object.removeObserver(&recorder, "a"));
    EXPECT_FALSE(object.removeObserver(&recorder, "a"));
    object.a = 8;
    EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST(Object, DestructionEndsRegistrationsBothWays)
{
    auto recorder = std::make_unique<Recorder>();
    const Object* gone = recorder.get();
    Base object;
    object.addObserver(recorder.get(), "a", KeyValueObservingOptions::new_, nullptr);
    recorder.reset();
    EXPECT_FALSE(object.removeObserver(const_cast<Object*>(gone), "a"));
    object.a = 1; // reaches no destroyed observer

    // An observer that outlives what it watched keeps working with others.
    Recorder watcher;
    auto observed = std::make_unique<Base>();
    observed->addObserver(&watcher, "a", KeyValueObservingOptions::new_, nullptr);
    observed.reset();
    Base other;
    other.addObserver(&watcher, "a", KeyValueObservingOptions::new_, nullptr);
    other.a = 4;
    ASSERT_EQ(watcher.calls.size(), 1u);
    EXPECT_EQ(watcher.calls[0].object, &other);
}

TEST(AttributedString, AddsAttributesOverRangesInUtf16Units)
{
    AttributedString text("😀 hello");
    EXPECT_EQ(text.length(), 8u);
    text.addAttribute("k", 1, {3, 5});
    text.addAttributes({{"k", 2}, {"j", std::string("x")}}, {5, 10});
    AttributedString::Range range;
    EXPECT_TRUE(text.attributes(0, &range).empty());
    EXPECT_EQ(range, (AttributedString::Range {0, 3}));
    const auto middle = text.attributes(4, &range);
    EXPECT_EQ(std::any_cast<int>(middle.at("k")), 1);
    EXPECT_EQ(middle.count("j"), 0u);
    EXPECT_EQ(range, (AttributedString::Range {3, 2}));
    const auto tail = text.attributes(7, &range);
    EXPECT_EQ(std::any_cast<int>(tail.at("k")), 2);
    EXPECT_EQ(std::any_cast<std::string>(tail.at("j")), "x");
    EXPECT_EQ(range, (AttributedString::Range {5, 3}));
    EXPECT_TRUE(text.attributes(8).empty());
    text.addAttribute("z", 0, {100, 5});
    text.addAttribute("z", 0, {static_cast<size_t>(-1), static_cast<size_t>(-1)});
    EXPECT_EQ(text.runs().size(), 3u);
    EXPECT_EQ(text.string(), "😀 hello");
}

} // namespace
